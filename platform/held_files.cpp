#include "platform/held_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace tesk::platform {
namespace {

// A file may be held several times at once (the loader and the archive reader
// both hold a dropped archive), so each hold is one element.
std::vector<FileIdentity>& Holds() {
  static std::vector<FileIdentity> holds;
  return holds;
}

}  // namespace

void HoldFile(const FileIdentity& identity) { Holds().push_back(identity); }

void ReleaseFile(const FileIdentity& identity) {
  auto& holds = Holds();
  auto found = std::find(holds.begin(), holds.end(), identity);
  if (found != holds.end()) holds.erase(found);
}

bool IsHeldFile(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  const FileIdentity identity{static_cast<unsigned long long>(info.st_dev),
                              static_cast<unsigned long long>(info.st_ino)};
  const auto& holds = Holds();
  return std::find(holds.begin(), holds.end(), identity) != holds.end();
}

}  // namespace tesk::platform
