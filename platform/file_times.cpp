#include "platform/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

namespace tesk::platform {

std::optional<FileStatus> StatusOf(int descriptor) {
  struct statx info {};
  if (::statx(descriptor, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
    return std::nullopt;
  FileStatus status;
  status.size = info.stx_size;
  status.isDirectory = S_ISDIR(info.stx_mode);
  status.ownerCanWrite = (info.stx_mode & S_IWUSR) != 0;
  status.ownerCanExecute = (info.stx_mode & S_IXUSR) != 0;
  status.lastWrite = {info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec};
  status.lastAccess = {info.stx_atime.tv_sec, info.stx_atime.tv_nsec};
  if (info.stx_mask & STATX_BTIME)
    status.creation = {info.stx_btime.tv_sec, info.stx_btime.tv_nsec};
  else
    status.creation = status.lastWrite;
  return status;
}

bool SetFileTimes(const std::filesystem::path& path, const Timestamp& lastAccess,
                  const Timestamp& lastWrite) {
  return SetFileTimes(path, std::optional<Timestamp>(lastAccess), std::optional<Timestamp>(lastWrite));
}

namespace {

struct timespec TimespecOf(const std::optional<Timestamp>& time) {
  if (!time) return {0, UTIME_OMIT};
  return {static_cast<time_t>(time->seconds), static_cast<long>(time->nanoseconds)};
}

}  // namespace

bool SetFileTimes(const std::filesystem::path& path, const std::optional<Timestamp>& lastAccess,
                  const std::optional<Timestamp>& lastWrite) {
  const struct timespec times[2] = {TimespecOf(lastAccess), TimespecOf(lastWrite)};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

CalendarTime UtcCalendar(std::int64_t unixSeconds) {
  const time_t seconds = static_cast<time_t>(unixSeconds);
  struct tm fields {};
  ::gmtime_r(&seconds, &fields);
  return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
          fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

std::optional<std::int64_t> LocalCalendarToUnix(const CalendarTime& local) {
  if (local.month < 1 || local.month > 12 || local.day < 1 || local.day > 31 || local.hour > 23 ||
      local.minute > 59 || local.second > 59 || local.hour < 0 || local.minute < 0 || local.second < 0)
    return std::nullopt;
  struct tm fields {};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;
  const time_t result = ::mktime(&fields);
  // mktime normalises 31 February into March; such a date is no calendar time.
  if (result == static_cast<time_t>(-1) || fields.tm_mday != local.day || fields.tm_mon != local.month - 1)
    return std::nullopt;
  return static_cast<std::int64_t>(result);
}

CalendarTime LocalCalendar(std::int64_t unixSeconds) {
  const time_t time = static_cast<time_t>(unixSeconds);
  struct tm fields {};
  if (::localtime_r(&time, &fields) == nullptr) return UtcCalendar(unixSeconds);
  return CalendarTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                      fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

std::int64_t CurrentUnixTime() { return static_cast<std::int64_t>(::time(nullptr)); }

}  // namespace tesk::platform
