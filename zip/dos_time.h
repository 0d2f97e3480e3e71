#pragma once
// MS-DOS dates and times, as archive headers hold them: two seconds
// resolution, years 1980 to 2107, no time zone.

#include <cstdint>
#include <optional>

namespace tesk::zip {

struct DosDateTime {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};

// The UTC calendar fields of a Unix time. A time outside the years the fields
// can hold is pinned to their first or last second, so a file from 1970 does
// not come out dated 2098.
DosDateTime DosDateTimeFromUnix(std::int64_t unixSeconds);

// The Unix time of the fields read as local time of the process's time zone;
// empty when they name no calendar time (month 0, hour 24, 62 seconds, ...).
std::optional<std::int64_t> LocalUnixFromDosDateTime(DosDateTime fields);

}  // namespace tesk::zip
