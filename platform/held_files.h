#pragma once
// Files this process holds open for reading with writing and deleting denied.
//
// Windows enforces that share mode for every process; POSIX has none, so the
// project's own creates, replaces and deletes consult this registry instead and
// fail as a sharing violation would. Files are identified by device and inode,
// so another spelling, a symbolic link or a hard link of a held file is caught.

#include <filesystem>

namespace tesk::platform {

struct FileIdentity {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

void HoldFile(const FileIdentity& identity);
void ReleaseFile(const FileIdentity& identity);

// True when `path` names an existing file that is currently held.
bool IsHeldFile(const std::filesystem::path& path);

}  // namespace tesk::platform
