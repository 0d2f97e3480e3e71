#include "zip/archive_input.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "platform/input_file.h"
#include "zip/zip_reader.h"

namespace tesk::zip {
namespace {

// A bare archive name has no folder of its own: it lies in the current one.
std::filesystem::path ArchiveFolder(const std::filesystem::path& archivePath) {
  const std::filesystem::path folder = archivePath.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

std::filesystem::path EntryPath(const std::filesystem::path& folder, const std::string& name) {
  std::string joined = folder.native();
  if (joined.back() != '/') joined += '/';
  return std::filesystem::path(joined + name);
}

// The bytes the extraction would write: the declared sizes of every entry that
// a lookup accepts, folders aside. An extraction never writes more than an
// entry declares, so this bounds the whole.
std::uint64_t DeclaredBytes(ZipHandle* handle, std::int32_t count) {
  std::uint64_t total = 0;
  for (std::int32_t index = 0; index < count; ++index) {
    ZipEntryInfo info;
    if (ZipReaderGetEntry(handle, index, info) != kZipOk) continue;
    if (!(info.attributes & kEntryDirectory)) total += info.uncompressedSize;
  }
  return total;
}

// macOS's "Compress" adds an AppleDouble file of metadata for each file,
// under __MACOSX/ and after all the real files: never the job the user packed.
bool IsMacMetadata(std::string_view name) {
  return name.starts_with("__MACOSX/") || name.find("/__MACOSX/") != std::string_view::npos;
}

}  // namespace

std::uint64_t ExtractionBudget(std::uint64_t archiveSize) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t scaled =
      archiveSize > kMost / kExtractionBudgetRatio ? kMost : archiveSize * kExtractionBudgetRatio;
  return std::max(kExtractionBudgetFloor, scaled);
}

bool ExtractArchiveInput(std::filesystem::path& path, std::uint64_t& budget, ArchiveExtraction* found) {
  const std::filesystem::path folder = ArchiveFolder(path);
  const ScopedZipReader reader(ZipReaderOpen(path));
  if (!reader) return false;
  ZipHandle* const handle = reader.get();
  ZipReaderSetBaseFolder(handle, folder);

  ZipEntryInfo info;
  const std::int32_t count = ZipReaderGetEntry(handle, -1, info) == kZipOk ? info.index : 0;
  const std::uint64_t declared = DeclaredBytes(handle, count);
  if (declared > budget) return false;  // would write more than any real archive of a job does
  budget -= declared;

  bool extracted = false;
  std::string lastName;
  bool lastIsMetadata = false;
  for (std::int32_t index = 0; index < count; ++index) {
    info = ZipEntryInfo{};
    // An entry that cannot be looked up or extracted is skipped; the loader
    // goes on with the last one that could, passing over macOS's metadata
    // unless there is nothing else.
    if (ZipReaderGetEntry(handle, index, info) != kZipOk) continue;
    if (ZipReaderExtractEntry(handle, index, info.name) != kZipOk) continue;
    const bool isMetadata = IsMacMetadata(info.name);
    if (isMetadata && extracted && !lastIsMetadata) continue;
    path = EntryPath(folder, info.name);
    lastName = info.name;
    lastIsMetadata = isMetadata;
    extracted = true;
  }
  if (found) *found = {count, lastName, declared};
  return extracted;
}

bool ExtractArchiveInput(std::filesystem::path& path) {
  std::uint64_t budget = 0;
  {
    const platform::InputFile archive = platform::InputFile::Open(path);
    budget = ExtractionBudget(archive.IsOpen() ? archive.Size() : 0);
  }
  return ExtractArchiveInput(path, budget);
}

}  // namespace tesk::zip
