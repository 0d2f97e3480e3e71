#include "zip/dos_time.h"

#include "platform/file_times.h"

namespace tesk::zip {
namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = kFirstYear + 127;

std::uint16_t PackDate(int year, int month, int day) {
  return static_cast<std::uint16_t>(((year - kFirstYear) & 0x7F) << 9 | month << 5 | day);
}

std::uint16_t PackTime(int hour, int minute, int second) {
  return static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2);
}

}  // namespace

DosDateTime DosDateTimeFromUnix(std::int64_t unixSeconds) {
  const platform::CalendarTime fields = platform::UtcCalendar(unixSeconds);
  if (fields.year < kFirstYear) return {PackDate(kFirstYear, 1, 1), PackTime(0, 0, 0)};
  if (fields.year > kLastYear) return {PackDate(kLastYear, 12, 31), PackTime(23, 59, 58)};
  return {PackDate(fields.year, fields.month, fields.day),
          PackTime(fields.hour, fields.minute, fields.second)};
}

std::optional<std::int64_t> LocalUnixFromDosDateTime(DosDateTime fields) {
  platform::CalendarTime local;
  local.year = (fields.date >> 9) + kFirstYear;
  local.month = (fields.date >> 5) & 0x0F;
  local.day = fields.date & 0x1F;
  local.hour = fields.time >> 11;
  local.minute = (fields.time >> 5) & 0x3F;
  local.second = (fields.time & 0x1F) * 2;
  return platform::LocalCalendarToUnix(local);
}

}  // namespace tesk::zip
