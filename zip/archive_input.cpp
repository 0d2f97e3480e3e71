#include "zip/archive_input.h"

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

}  // namespace

bool ExtractArchiveInput(std::filesystem::path& path) {
  const std::filesystem::path folder = ArchiveFolder(path);
  ZipHandle* handle = ZipReaderOpen(path);
  if (!handle) return false;
  ZipReaderSetBaseFolder(handle, folder);

  ZipEntryInfo info;
  const std::int32_t count = ZipReaderGetEntry(handle, -1, info) == kZipOk ? info.index : 0;
  bool extracted = false;
  for (std::int32_t index = 0; index < count; ++index) {
    info = ZipEntryInfo{};
    // An entry that cannot be looked up or extracted is skipped; the loader
    // goes on with the last one that could.
    if (ZipReaderGetEntry(handle, index, info) != kZipOk) continue;
    if (ZipReaderExtractEntry(handle, index, info.name) != kZipOk) continue;
    path = EntryPath(folder, info.name);
    extracted = true;
  }
  ZipReaderClose(handle);
  return extracted;
}

}  // namespace tesk::zip
