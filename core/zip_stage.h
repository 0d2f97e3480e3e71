#pragma once
// The Plain Binary ZIP stage: the run's plain binary file packed into its
// "bin.zip". The deflate needs nothing but that file on disk, so it runs on a
// second thread while the run's own thread prepares the picture in memory.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <thread>

namespace tesk::core {

struct ZipStageOutcome {
  bool created = false;                      // the archive could be created; when not, nothing else happened
  bool writeFailed = false;                  // adding the file or closing the archive hit a failed write
  int error = 0;                             // errno of that write
  std::optional<std::uint64_t> archiveSize;  // as stored, read back after closing
};

// The stage on the calling thread.
ZipStageOutcome PackPlainBinary(const std::filesystem::path& archivePath,
                                const std::filesystem::path& plainBinary);

// PackPlainBinary on a second thread, which sees only the two paths and its
// own buffers. When no thread can be had, the archive is packed at once on the
// calling thread, so a run then does its stages strictly in order.
class ZipStage {
 public:
  ZipStage(std::filesystem::path archivePath, std::filesystem::path plainBinary);
  // Waits for the worker: no run leaves one behind.
  ~ZipStage();
  ZipStage(const ZipStage&) = delete;
  ZipStage& operator=(const ZipStage&) = delete;

  // True while the archive is being packed on the second thread.
  bool RunsBeside() const { return worker_.joinable(); }
  // Waits for the worker, if there is one, and gives what the stage did.
  const ZipStageOutcome& Finish();

 private:
  std::filesystem::path archivePath_;
  std::filesystem::path plainBinary_;
  ZipStageOutcome outcome_;
  std::thread worker_;
};

// Test hook: the next ZipStage finds no thread to start, as when the system
// refuses one, and packs in order.
void FailNextZipWorkerStart();

}  // namespace tesk::core
