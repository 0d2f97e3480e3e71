// The archive reader on arbitrary bytes: open, every lookup (in order, then
// backwards, so the cursor also moves back), every extraction into the input's
// own folder, and nothing may appear outside it.

#include <cstdlib>

#include "fuzz/fuzz_sandbox.h"
#include "zip/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  fuzz::FuzzSandbox sandbox;
  const std::filesystem::path archive = sandbox.WriteInput("input.zip", {data, size});
  const zip::ScopedZipReader reader(zip::ZipReaderOpen(archive));
  if (!reader) {
    sandbox.CheckNothingEscaped();
    return 0;
  }
  zip::ZipHandle* const handle = reader.get();
  zip::ZipReaderSetBaseFolder(handle, sandbox.work());
  zip::ZipEntryInfo info;
  std::int32_t count = 0;
  if (zip::ZipReaderGetEntry(handle, -1, info) == zip::kZipOk) count = info.index;
  if (count < 0 || count > 65535) std::abort();
  for (std::int32_t index = 0; index < count; ++index) {
    info = {};
    if (zip::ZipReaderGetEntry(handle, index, info) == zip::kZipOk)
      zip::ZipReaderExtractEntry(handle, index, info.name);
  }
  for (std::int32_t index = count - 1; index >= 0; --index) zip::ZipReaderGetEntry(handle, index, info);
  if (zip::ZipReaderGetEntry(handle, count, info) != zip::kZipBadArguments) std::abort();
  sandbox.CheckNothingEscaped();
  return 0;
}
