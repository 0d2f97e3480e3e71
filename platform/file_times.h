#pragma once
// File times and the calendar conversions that archives need.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tesk::platform {

struct Timestamp {
  std::int64_t seconds = 0;      // Unix seconds, UTC
  std::int64_t nanoseconds = 0;  // 0 .. 999 999 999
};

struct FileStatus {
  std::uint64_t size = 0;
  bool isDirectory = false;
  bool ownerCanWrite = false;
  bool ownerCanExecute = false;
  Timestamp lastWrite;
  Timestamp lastAccess;
  Timestamp creation;  // birth time where the file system keeps one, else the last write
};

// Status of an open file descriptor (statx).
std::optional<FileStatus> StatusOf(int descriptor);

// Sets last access and last write; the creation time cannot be set on Linux.
bool SetFileTimes(const std::filesystem::path& path, const Timestamp& lastAccess, const Timestamp& lastWrite);
// As above; a time that is not given is left as it is.
bool SetFileTimes(const std::filesystem::path& path, const std::optional<Timestamp>& lastAccess,
                  const std::optional<Timestamp>& lastWrite);

struct CalendarTime {
  int year = 1970;
  int month = 1;  // 1 .. 12
  int day = 1;    // 1 .. 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Calendar fields of a Unix time in UTC.
CalendarTime UtcCalendar(std::int64_t unixSeconds);

// Calendar fields of a Unix time in the process's time zone (TZ).
CalendarTime LocalCalendar(std::int64_t unixSeconds);

// The system clock, in Unix seconds.
std::int64_t CurrentUnixTime();

// Unix time of calendar fields read as local time of the process's time zone
// (TZ). Empty when the fields are no valid calendar time.
std::optional<std::int64_t> LocalCalendarToUnix(const CalendarTime& local);

}  // namespace tesk::platform
