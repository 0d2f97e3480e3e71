#include "platform/file_times.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include "tests/support/temp_folder.h"

namespace tesk::platform {
namespace {

class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~TimeZone() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
};

TEST(CalendarTimes, UtcFieldsOfAUnixTime) {
  const CalendarTime fields = UtcCalendar(1468413297);  // 2016-07-13 12:34:57 UTC
  EXPECT_EQ(fields.year, 2016);
  EXPECT_EQ(fields.month, 7);
  EXPECT_EQ(fields.day, 13);
  EXPECT_EQ(fields.hour, 12);
  EXPECT_EQ(fields.minute, 34);
  EXPECT_EQ(fields.second, 57);
}

TEST(CalendarTimes, LocalFieldsFollowTheTimeZone) {
  TimeZone zone("Asia/Shanghai");
  EXPECT_EQ(LocalCalendarToUnix({2016, 7, 13, 20, 34, 56}), 1468413296);
}

TEST(CalendarTimes, InvalidFieldsGiveNoTime) {
  for (const CalendarTime& fields : {CalendarTime{2016, 0, 13, 1, 2, 3}, CalendarTime{2016, 7, 0, 1, 2, 3},
                                     CalendarTime{2016, 7, 13, 24, 0, 0}, CalendarTime{2015, 2, 30, 0, 0, 0},
                                     CalendarTime{2016, 7, 13, 1, 60, 0}})
    EXPECT_FALSE(LocalCalendarToUnix(fields).has_value());
}

TEST(FileTimes, TimeNotGivenIsLeftAsItIs) {
  testing::TempFolder folder;
  const auto path = folder / "f.bin";
  testing::WriteFile(path, std::string_view("f"));
  ASSERT_TRUE(SetFileTimes(path, Timestamp{1000, 0}, Timestamp{2000, 0}));
  ASSERT_TRUE(SetFileTimes(path, std::nullopt, std::optional<Timestamp>(Timestamp{3000, 0})));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_atim.tv_sec, 1000);
  EXPECT_EQ(info.st_mtim.tv_sec, 3000);
  ASSERT_TRUE(SetFileTimes(path, std::optional<Timestamp>(Timestamp{4000, 0}), std::nullopt));
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_atim.tv_sec, 4000);
  EXPECT_EQ(info.st_mtim.tv_sec, 3000);
}

}  // namespace
}  // namespace tesk::platform
