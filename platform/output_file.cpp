#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/held_files.h"
#include "platform/write_faults.h"

namespace tesk::platform {

OutputFile::~OutputFile() { Close(); }

OutputFile::OutputFile(OutputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      error_(other.error_),
      bytesWritten_(other.bytesWritten_),
      path_(std::move(other.path_)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    error_ = other.error_;
    bytesWritten_ = other.bytesWritten_;
    path_ = std::move(other.path_);
  }
  return *this;
}

OutputFile OutputFile::Create(const std::filesystem::path& path) {
  return CreateWithFlags(path, 0);
}

OutputFile OutputFile::CreateWithoutFollowingLinks(const std::filesystem::path& path) {
  return CreateWithFlags(path, O_NOFOLLOW);
}

OutputFile OutputFile::CreateNew(const std::filesystem::path& path) {
  return CreateWithFlags(path, O_EXCL);
}

OutputFile OutputFile::CreateWithFlags(const std::filesystem::path& path, int extraFlags) {
  OutputFile file;
  file.path_ = path;
  // A held file exists, so an exclusive create fails on it with EEXIST anyway.
  if ((extraFlags & O_EXCL) == 0 && IsHeldFile(path)) {
    file.error_ = EBUSY;  // the sharing violation Windows would report
    return file;
  }
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | extraFlags, 0666);
  if (descriptor < 0) {
    file.error_ = errno;
    return file;
  }
  file.descriptor_ = descriptor;
  return file;
}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (descriptor_ < 0) {
    error_ = EBADF;
    return false;
  }
  int injected = 0;
  const std::uint64_t allowed = AllowedWriteBytes(path_, bytesWritten_, bytes.size(), injected);
  std::uint64_t done = 0;
  while (done < allowed) {
    const ssize_t count = ::write(descriptor_, bytes.data() + done, allowed - done);
    if (count < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    done += static_cast<std::uint64_t>(count);
    bytesWritten_ += static_cast<std::uint64_t>(count);
  }
  if (allowed < bytes.size()) {
    error_ = injected;
    return false;
  }
  return true;
}

bool OutputFile::Seek(std::uint64_t offset) {
  if (descriptor_ < 0) return false;
  if (::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(offset)) {
    error_ = errno;
    return false;
  }
  return true;
}

std::optional<std::uint64_t> OutputFile::Length() const {
  struct stat info {};
  if (descriptor_ < 0 || ::fstat(descriptor_, &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool OutputFile::Sync() {
  if (descriptor_ < 0) return false;
  while (::fsync(descriptor_) != 0) {
    if (errno == EINTR) continue;
    error_ = errno;
    return false;
  }
  return true;
}

bool OutputFile::Close() {
  if (descriptor_ < 0) return true;
  const int result = ::close(descriptor_);
  descriptor_ = -1;
  if (result != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

}  // namespace tesk::platform
