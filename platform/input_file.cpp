#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tesk::platform {

InputFile::~InputFile() { Close(); }

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      error_(other.error_),
      identity_(other.identity_) {}

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
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    file.error_ = errno;
    return file;
  }
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    file.error_ = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(descriptor);
    return file;
  }
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
