#pragma once
// A received job on disk: job-YYYYMMDD-HHMMSS-N.prn in the server's folder,
// named by the local time the connection came in, N counting the jobs of that
// second from 1. A name already taken is never written over; the next N is.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/file_times.h"
#include "platform/output_file.h"

namespace tesk::live {

std::string JobFileName(const platform::CalendarTime& time, std::uint32_t number);

class JobFile {
 public:
  // Creates the file under the first free name; false with Error() set when
  // no name could be taken.
  bool Create(const std::filesystem::path& folder, std::int64_t unixTime);
  bool Write(std::span<const std::uint8_t> bytes);
  // Puts the bytes on the disk, with the folder entry, and closes the file.
  bool Finish();

  bool IsOpen() const { return file_.IsOpen(); }
  // Empty until a name was taken.
  const std::filesystem::path& Path() const { return path_; }
  // errno of the first failure; 0 while all went well.
  int Error() const { return error_; }

 private:
  platform::OutputFile file_;
  std::filesystem::path path_;
  int error_ = 0;
};

}  // namespace tesk::live
