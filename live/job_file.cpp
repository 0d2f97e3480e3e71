#include "live/job_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"

namespace tesk::live {
namespace {

// More jobs than this in one second from one server would be a runaway sender.
constexpr std::uint32_t kMostJobsPerSecond = 100000;

}  // namespace

std::string JobFileName(const platform::CalendarTime& time, std::uint32_t number) {
  char name[64];
  std::snprintf(name, sizeof name, "job-%04d%02d%02d-%02d%02d%02d-%u.prn", time.year, time.month, time.day,
                time.hour, time.minute, time.second, number);
  return name;
}

bool JobFile::Create(const std::filesystem::path& folder, std::int64_t unixTime) {
  const platform::CalendarTime time = platform::LocalCalendar(unixTime);
  for (std::uint32_t number = 1; number <= kMostJobsPerSecond; ++number) {
    file_ = platform::OutputFile::CreateNew(folder / JobFileName(time, number));
    if (file_.IsOpen()) {
      path_ = file_.Path();
      return true;
    }
    if (file_.Error() != EEXIST) {
      error_ = file_.Error();
      return false;
    }
  }
  error_ = EEXIST;  // every name of that second is taken
  return false;
}

bool JobFile::Write(std::span<const std::uint8_t> bytes) {
  if (error_ != 0) return false;
  if (!file_.Write(bytes)) {
    error_ = file_.Error();
    return false;
  }
  return true;
}

bool JobFile::Finish() {
  if (!file_.IsOpen()) return error_ == 0;
  if (!file_.Sync() && error_ == 0) error_ = file_.Error();
  if (!file_.Close() && error_ == 0) error_ = file_.Error();
  if (!platform::SyncFolder(path_.parent_path()) && error_ == 0) error_ = errno;
  return error_ == 0;
}

}  // namespace tesk::live
