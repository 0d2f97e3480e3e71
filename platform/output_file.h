#pragma once
// Files the project creates: every output, archive and extracted file goes
// through here, so none of them can replace a held file (held_files.h).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace tesk::platform {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file, or truncates an existing one, for reading and writing.
  // Fails with EBUSY when `path` names a held file, and without opening it
  // when something else than a regular file stands there (see
  // IsOtherThanRegularFile).
  static OutputFile Create(const std::filesystem::path& path);
  // As Create, but a symbolic link in the file's place is not followed: the
  // create fails (ELOOP). Files taken out of an archive are made this way, so
  // an entry can never write through a link to somewhere outside its folder.
  static OutputFile CreateWithoutFollowingLinks(const std::filesystem::path& path);

  // A new file of a name of our own, in the folder of `destination`, to be
  // moved onto it by MoveIntoPlace once it is complete; its writes fail as
  // FailWritesAfter says for `destination`.
  static OutputFile CreateTemporaryBeside(const std::filesystem::path& destination);
  // Creates the file only when nothing has that name yet (EEXIST otherwise):
  // files that must never replace another, such as received jobs.
  static OutputFile CreateNew(const std::filesystem::path& path);

  bool IsOpen() const { return descriptor_ >= 0; }
  // errno of the last failure.
  int Error() const { return error_; }
  int Descriptor() const { return descriptor_; }
  const std::filesystem::path& Path() const { return path_; }

  // Writes all of `bytes` at the current position; false on a short or failed write.
  bool Write(std::span<const std::uint8_t> bytes);
  bool Seek(std::uint64_t offset);
  // Length of the open file (fstat).
  std::optional<std::uint64_t> Length() const;
  // Waits until the written bytes are on the disk (fsync).
  bool Sync();
  // Closes the file; false when the system reports an error on close.
  bool Close();

 private:
  static OutputFile CreateWithFlags(const std::filesystem::path& path, int extraFlags);

  int descriptor_ = -1;
  int error_ = 0;
  std::uint64_t bytesWritten_ = 0;
  std::filesystem::path path_;
  std::filesystem::path faultName_;  // whose injected write faults apply
};

// What a writer of one output file reports to the run.
struct FileWriteResult {
  enum class Status { NotCreated, Written, WriteFailed };
  Status status = Status::NotCreated;
  std::uint64_t length = 0;  // valid when Written
  int error = 0;             // errno when NotCreated or WriteFailed
  std::filesystem::path path;
};

}  // namespace tesk::platform
