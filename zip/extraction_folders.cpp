#include "zip/extraction_folders.h"

#include <string>

#include "platform/file_system.h"

namespace tesk::zip {
namespace {

bool IsRealFolder(const std::filesystem::path& folder) {
  return !platform::IsSymbolicLink(folder) && platform::IsDirectory(folder);
}

}  // namespace

bool MakeFoldersBeneath(const std::filesystem::path& baseFolder, std::string_view relativeFolder) {
  // The base folder is the user's own choice (the archive's folder), so a
  // link there is followed; below it none is.
  if (!platform::PathExists(baseFolder)) platform::CreateFolder(baseFolder);
  if (!platform::IsDirectory(baseFolder)) return false;

  std::string current = baseFolder.native();
  if (!current.empty() && current.back() != '/') current += '/';
  std::size_t start = 0;
  while (start < relativeFolder.size()) {
    std::size_t end = relativeFolder.find('/', start);
    if (end == std::string_view::npos) end = relativeFolder.size();
    const std::string_view segment = relativeFolder.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    // Checked without a trailing "/", which would make lstat follow a link.
    current.append(segment);
    if (!platform::PathExists(current)) platform::CreateFolder(current);
    if (!IsRealFolder(current)) return false;
    current += '/';
  }
  return true;
}

}  // namespace tesk::zip
