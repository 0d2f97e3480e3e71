#include "live/job_file.h"

#include <gtest/gtest.h>

#include "live/job_recorder.h"
#include "platform/input_file.h"
#include "tests/support/temp_folder.h"

namespace tesk::live {
namespace {

using testing::Bytes;
using testing::HexBytes;

// 2026-03-04 05:06:07 UTC; the tests run with TZ=UTC.
constexpr std::int64_t kSomeTime = 1772600767;

TEST(JobFile, IsNamedByTheLocalTimeAndCountedWithinTheSecond) {
  EXPECT_EQ(JobFileName(platform::CalendarTime{2026, 3, 4, 5, 6, 7}, 12), "job-20260304-050607-12.prn");

  testing::TempFolder folder;
  const std::string other = "somebody else's";
  testing::WriteFile(folder / "job-20260304-050607-1.prn", other);
  // The last job converted stays held open, as the window holds its file.
  const platform::InputFile held = platform::InputFile::Open(folder / "job-20260304-050607-1.prn");
  ASSERT_TRUE(held.IsOpen());
  JobFile second;
  ASSERT_TRUE(second.Create(folder.path(), kSomeTime));
  ASSERT_TRUE(second.Write(HexBytes("1b 40")));
  ASSERT_TRUE(second.Finish());
  EXPECT_EQ(second.Path(), folder / "job-20260304-050607-2.prn");
  EXPECT_EQ(testing::ReadFile(folder / "job-20260304-050607-1.prn"), Bytes(other.begin(), other.end()));
  EXPECT_EQ(testing::ReadFile(second.Path()), HexBytes("1b 40"));
}

TEST(JobFile, ReportsAFolderItCannotWriteIn) {
  testing::TempFolder folder;
  JobFile file;
  EXPECT_FALSE(file.Create(folder / "missing", kSomeTime));
  EXPECT_NE(file.Error(), 0);
  EXPECT_TRUE(file.Path().empty());
}

TEST(JobRecorder, SavesFromTheFirstPrintDataOn) {
  testing::TempFolder folder;
  const PrinterStatusAnswers answers;
  {
    JobRecorder queriesOnly(folder.path(), kSomeTime, answers);
    Bytes answered;
    queriesOnly.Take(HexBytes("10 04 01 1d 72 01"), answered);
    queriesOnly.Finish();
    EXPECT_FALSE(queriesOnly.IsJob());
    EXPECT_TRUE(queriesOnly.Path().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  }
  JobRecorder job(folder.path(), kSomeTime, answers);
  Bytes answered;
  job.Take(HexBytes("10 04 01"), answered);
  job.Take(HexBytes("1d 72 01 1b 40 41 0a"), answered);
  job.Take(HexBytes("10 04 04"), answered);
  job.Finish();
  EXPECT_EQ(answered, HexBytes("12 00 12"));
  ASSERT_TRUE(job.IsJob());
  EXPECT_EQ(job.SaveError(), 0);
  // Queries before the print data are no part of the job; those after it are.
  EXPECT_EQ(testing::ReadFile(job.Path()), HexBytes("1b 40 41 0a 10 04 04"));
  EXPECT_EQ(job.Saved(), 7u);
}

}  // namespace
}  // namespace tesk::live
