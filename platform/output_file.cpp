#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <utility>

#include "platform/file_system.h"
#include "platform/held_files.h"
#include "platform/write_faults.h"

namespace tesk::platform {

OutputFile::~OutputFile() { Close(); }

OutputFile::OutputFile(OutputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      error_(other.error_),
      bytesWritten_(other.bytesWritten_),
      path_(std::move(other.path_)),
      faultName_(std::move(other.faultName_)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    error_ = other.error_;
    bytesWritten_ = other.bytesWritten_;
    path_ = std::move(other.path_);
    faultName_ = std::move(other.faultName_);
  }
  return *this;
}

OutputFile OutputFile::Create(const std::filesystem::path& path) { return CreateWithFlags(path, 0); }

OutputFile OutputFile::CreateWithoutFollowingLinks(const std::filesystem::path& path) {
  return CreateWithFlags(path, O_NOFOLLOW);
}

OutputFile OutputFile::CreateNew(const std::filesystem::path& path) { return CreateWithFlags(path, O_EXCL); }

OutputFile OutputFile::CreateWithFlags(const std::filesystem::path& path, int extraFlags) {
  OutputFile file;
  file.path_ = path;
  file.faultName_ = path;
  // A held file exists, so an exclusive create fails on it with EEXIST anyway.
  if ((extraFlags & O_EXCL) == 0 && IsHeldFile(path)) {
    file.error_ = EBUSY;  // the sharing violation Windows would report
    return file;
  }
  // A FIFO, a device or a folder in the output's place is not opened at all.
  if (IsOtherThanRegularFile(path, (extraFlags & O_NOFOLLOW) == 0, &file.error_)) return file;
  // Opened without blocking and without truncating, so that something put in
  // the file's place since the check above is neither waited for nor emptied.
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | extraFlags, 0666);
  if (descriptor < 0) {
    file.error_ = errno;
    return file;
  }
  struct stat info {};
  int failure = 0;
  if (::fstat(descriptor, &info) != 0)
    failure = errno;
  else if (!S_ISREG(info.st_mode))
    failure = NotRegularFile(info.st_mode);
  else if (::ftruncate(descriptor, 0) != 0)
    failure = errno;
  if (failure != 0) {
    file.error_ = failure;
    ::close(descriptor);
    return file;
  }
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags >= 0) ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
  file.descriptor_ = descriptor;
  return file;
}

OutputFile OutputFile::CreateTemporaryBeside(const std::filesystem::path& destination) {
  OutputFile file;
  file.faultName_ = destination;
  const std::filesystem::path folder =
      destination.has_parent_path() ? destination.parent_path() : std::filesystem::path(".");
  // A short name of our own rather than one made from the destination's,
  // which may already be as long as a name can be.
  static std::atomic<unsigned long long> sequence{0};
  const unsigned long long seed =
      static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ull ^
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, ".tesk-%012llx.part",
                  (seed + ++sequence * 0x2545F491ull) & 0xFFFFFFFFFFFFull);
    const std::filesystem::path path = folder / name;
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      file.descriptor_ = descriptor;
      file.path_ = path;
      return file;
    }
    if (errno != EEXIST) {
      file.error_ = errno;
      return file;
    }
  }
  file.error_ = EEXIST;
  return file;
}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (descriptor_ < 0) {
    error_ = EBADF;
    return false;
  }
  int injected = 0;
  const std::uint64_t allowed = AllowedWriteBytes(faultName_, bytesWritten_, bytes.size(), injected);
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
