#pragma once
// A file opened for reading and held (see held_files.h) until it is closed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "platform/held_files.h"

namespace tesk::platform {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens an existing regular file without ever waiting: a folder, a FIFO, a
  // device or a missing file gives a closed InputFile at once, and Error()
  // tells why.
  static InputFile Open(const std::filesystem::path& path);

  bool IsOpen() const { return descriptor_ >= 0; }
  int Error() const { return error_; }
  int Descriptor() const { return descriptor_; }
  std::uint64_t Size() const;
  // True when `path` names this very file (same device and inode).
  bool IsSameFileAs(const std::filesystem::path& path) const;

  // Reads up to buffer.size() bytes at the current position; returns the
  // count read, 0 at the end of the file, or -1 on failure.
  std::int64_t Read(std::span<std::uint8_t> buffer);
  // Reads as much of buffer.size() bytes as the file holds, looping over short
  // reads; returns the total read (less only at the end of the file or on failure).
  std::uint64_t ReadFully(std::span<std::uint8_t> buffer);
  bool Seek(std::uint64_t offset);

  void Close();

 private:
  int descriptor_ = -1;
  int error_ = 0;
  FileIdentity identity_{};
};

}  // namespace tesk::platform
