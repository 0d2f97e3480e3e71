#include "platform/held_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace tesk::platform {
namespace {

// A file may be held several times at once (the loader and the archive reader
// both hold a dropped archive), so each hold is one element.
std::vector<FileIdentity>& Holds() {
  static std::vector<FileIdentity> holds;
  return holds;
}

// The archive of a run is packed on a thread of its own, which holds its
// source file while the run's thread may create files.
std::mutex& HoldsLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

void HoldFile(const FileIdentity& identity) {
  const std::lock_guard<std::mutex> guard(HoldsLock());
  Holds().push_back(identity);
}

void ReleaseFile(const FileIdentity& identity) {
  const std::lock_guard<std::mutex> guard(HoldsLock());
  auto& holds = Holds();
  auto found = std::find(holds.begin(), holds.end(), identity);
  if (found != holds.end()) holds.erase(found);
}

bool IsHeldFile(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  const FileIdentity identity{static_cast<unsigned long long>(info.st_dev),
                              static_cast<unsigned long long>(info.st_ino)};
  const std::lock_guard<std::mutex> guard(HoldsLock());
  const auto& holds = Holds();
  return std::find(holds.begin(), holds.end(), identity) != holds.end();
}

}  // namespace tesk::platform
