#include "zip/dos_time.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

namespace tesk::zip {
namespace {

struct DosTimeCase {
  const char* name;
  std::int64_t unixSeconds;
  std::uint16_t date;
  std::uint16_t time;
};

class DosTimes : public ::testing::TestWithParam<DosTimeCase> {};

TEST_P(DosTimes, FieldsOfTheUtcTime) {
  const DosDateTime fields = DosDateTimeFromUnix(GetParam().unixSeconds);
  EXPECT_EQ(fields.date, GetParam().date);
  EXPECT_EQ(fields.time, GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DosTimes,
    ::testing::Values(DosTimeCase{"Mid2016", 1468413297, 0x48ED, 0x645C},        // 2016-07-13 12:34:57
                      DosTimeCase{"FirstDosSecond", 315532800, 0x0021, 0x0000},  // 1980-01-01
                      DosTimeCase{"UnixEpochPinned", 0, 0x0021, 0x0000},
                      DosTimeCase{"DayBeforeTheUnixEpochPinned", -86400, 0x0021, 0x0000},
                      DosTimeCase{"LastDosSecond", 4354819199, 0xFF9F, 0xBF7D},  // 2107-12-31 23:59:59
                      DosTimeCase{"After2107Pinned", 4354819200, 0xFF9F, 0xBF7D}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DosTimesRead, AsLocalTimeOfTheProcess) {
  EXPECT_EQ(LocalUnixFromDosDateTime({0x48ED, 0x645C}), 1468413296);  // TZ=UTC
  ::setenv("TZ", "Asia/Shanghai", 1);
  ::tzset();
  EXPECT_EQ(LocalUnixFromDosDateTime({0x48ED, 0x645C}), 1468413296 - 8 * 3600);
  ::setenv("TZ", "UTC", 1);
  ::tzset();
}

TEST(DosTimesRead, NoTimeForFieldsThatNameNone) {
  for (const DosDateTime fields : {DosDateTime{0x4800, 0x645C},   // month 0
                                   DosDateTime{0x48E0, 0x645C},   // day 0
                                   DosDateTime{0x48ED, 0xC000},   // hour 24
                                   DosDateTime{0x48ED, 0x001E},   // 60 seconds
                                   DosDateTime{0x485E, 0x0000}})  // 30 February
    EXPECT_FALSE(LocalUnixFromDosDateTime(fields).has_value()) << fields.date << " " << fields.time;
}

}  // namespace
}  // namespace tesk::zip
