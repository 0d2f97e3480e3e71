#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_system.h"

namespace tesk::platform {

InputFile::~InputFile() { Close(); }

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), error_(other.error_), identity_(other.identity_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    error_ = other.error_;
    identity_ = other.identity_;
  }
  return *this;
}

InputFile InputFile::Open(const std::filesystem::path& path) {
  InputFile file;
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come,
  // and a dropped FIFO would freeze the window for good. Only regular files are
  // read, so the flag changes nothing for the files that are kept open.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    file.error_ = errno;
    return file;
  }
  struct stat info {};
  if (::fstat(descriptor, &info) != 0) {
    file.error_ = errno;
    ::close(descriptor);
    return file;
  }
  if (!S_ISREG(info.st_mode)) {
    file.error_ = NotRegularFile(info.st_mode);
    ::close(descriptor);
    return file;
  }
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags >= 0) ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
  file.descriptor_ = descriptor;
  file.identity_ = {static_cast<unsigned long long>(info.st_dev),
                    static_cast<unsigned long long>(info.st_ino)};
  HoldFile(file.identity_);
  return file;
}

std::uint64_t InputFile::Size() const {
  struct stat info {};
  if (descriptor_ < 0 || ::fstat(descriptor_, &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

bool InputFile::IsSameFileAs(const std::filesystem::path& path) const {
  struct stat info {};
  if (descriptor_ < 0 || ::stat(path.c_str(), &info) != 0) return false;
  return FileIdentity{static_cast<unsigned long long>(info.st_dev),
                      static_cast<unsigned long long>(info.st_ino)} == identity_;
}

std::int64_t InputFile::Read(std::span<std::uint8_t> buffer) {
  if (descriptor_ < 0) return -1;
  for (;;) {
    const ssize_t count = ::read(descriptor_, buffer.data(), buffer.size());
    if (count >= 0) return count;
    if (errno != EINTR) {
      error_ = errno;
      return -1;
    }
  }
}

std::uint64_t InputFile::ReadFully(std::span<std::uint8_t> buffer) {
  std::uint64_t total = 0;
  while (total < buffer.size()) {
    const std::int64_t count = Read(buffer.subspan(total));
    if (count <= 0) break;
    total += static_cast<std::uint64_t>(count);
  }
  return total;
}

bool InputFile::Seek(std::uint64_t offset) {
  if (descriptor_ < 0) return false;
  return ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

void InputFile::Close() {
  if (descriptor_ < 0) return;
  ReleaseFile(identity_);
  ::close(descriptor_);
  descriptor_ = -1;
}

}  // namespace tesk::platform
