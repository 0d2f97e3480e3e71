#pragma once
// The bytes of one connection, on their way to a job file. Until print data
// arrives the bytes stay in memory (a connection that only asks for status is
// no job and leaves no file); the job is saved from its first print data on,
// every byte after it as received, straight to the file, so a job of hundreds
// of megabytes never sits in memory.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "live/job_file.h"
#include "live/query_stream.h"

namespace tesk::live {

class JobRecorder {
 public:
  JobRecorder(std::filesystem::path folder, std::int64_t startTime, const PrinterStatusAnswers& answers);

  // Takes received bytes; answers to the status queries among them are
  // appended to `answers`.
  void Take(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& answers);
  // Ends the job: a job with print data is put on the disk.
  void Finish();

  bool IsJob() const { return queries_.SawPrintData(); }
  bool EndsInsideCommand() const { return queries_.InsideCommand(); }
  std::uint64_t Received() const { return received_; }
  // Bytes in the job file: all received from the first print data on.
  std::uint64_t Saved() const {
    return IsJob() ? received_ - static_cast<std::uint64_t>(queries_.FirstPrintData()) : 0;
  }
  std::uint64_t QueriesAnswered() const { return queries_.QueriesAnswered(); }
  const std::filesystem::path& Path() const { return file_.Path(); }
  int SaveError() const { return file_.Error(); }

 private:
  void Save(std::span<const std::uint8_t> bytes);

  std::filesystem::path folder_;
  std::int64_t startTime_;
  QueryStream queries_;
  std::vector<std::uint8_t> held_;  // bytes received before the first print data
  JobFile file_;
  bool created_ = false;
  std::uint64_t received_ = 0;
};

}  // namespace tesk::live
