#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "platform/held_files.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace tesk::platform {

bool PathExists(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsSymbolicLink(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

int NotRegularFile(unsigned mode) {
  if (S_ISDIR(mode)) return EISDIR;
  if (S_ISLNK(mode)) return ELOOP;
  return EINVAL;
}

bool IsOtherThanRegularFile(const std::filesystem::path& path, bool followLinks, int* error) {
  struct stat info {};
  const int status = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
  if (status != 0 || S_ISREG(info.st_mode)) return false;
  if (error) *error = NotRegularFile(info.st_mode);
  return true;
}

bool IsSameFile(int firstDescriptor, int secondDescriptor) {
  struct stat first {};
  struct stat second {};
  return ::fstat(firstDescriptor, &first) == 0 && ::fstat(secondDescriptor, &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool CreateFolder(const std::filesystem::path& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool SyncFolder(const std::filesystem::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  int result;
  do result = ::fsync(descriptor);
  while (result != 0 && errno == EINTR);
  ::close(descriptor);
  return result == 0;
}

bool DeleteOutputFile(const std::filesystem::path& path, int* error) {
  if (IsHeldFile(path)) {
    if (error) *error = EBUSY;
    return false;
  }
  if (::unlink(path.c_str()) != 0) {
    if (error) *error = errno;
    return false;
  }
  return true;
}

bool MoveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& destination,
                   int* error) {
  if (IsHeldFile(destination)) {
    if (error) *error = EBUSY;  // the sharing violation Windows would report
    return false;
  }
  if (IsOtherThanRegularFile(destination, false, error)) return false;
  if (::rename(temporary.c_str(), destination.c_str()) != 0) {
    if (error) *error = errno;
    return false;
  }
  return true;
}

std::optional<std::uint64_t> FileLength(const std::filesystem::path& path) {
  InputFile file = InputFile::Open(path);
  if (!file.IsOpen()) return std::nullopt;
  return file.Size();
}

bool ClearWritePermission(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return ::chmod(path.c_str(), info.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::filesystem::path CurrentFolder() {
  std::error_code error;
  auto folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : folder;
}

std::filesystem::path CreateTemporaryFolder() {
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "tesk-XXXXXX").string();
  if (error || !::mkdtemp(pattern.data())) return {};
  return pattern;
}

void RemoveFolderTree(const std::filesystem::path& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

bool CopyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  InputFile source = InputFile::Open(from);
  if (!source.IsOpen()) return false;
  OutputFile copy = OutputFile::Create(to);
  if (!copy.IsOpen()) return false;
  std::vector<std::uint8_t> block(1 << 16);
  for (;;) {
    const std::int64_t count = source.Read(block);
    if (count < 0) return false;
    if (count == 0) break;
    if (!copy.Write(std::span<const std::uint8_t>(block.data(), static_cast<std::size_t>(count))))
      return false;
  }
  return copy.Close();
}

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace tesk::platform
