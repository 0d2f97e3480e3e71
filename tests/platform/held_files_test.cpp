#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/write_faults.h"
#include "tests/support/temp_folder.h"

namespace tesk::platform {
namespace {

using testing::TempFolder;

TEST(HeldFiles, EverySpellingOfAHeldFileIsRefused) {
  TempFolder folder;
  const auto job = folder / "job.prn";
  testing::WriteFile(job, std::string_view("job"));
  std::filesystem::create_symlink(job, folder / "link.prn");
  std::filesystem::create_hard_link(job, folder / "hard.prn");
  std::filesystem::create_directory(folder / "sub");

  InputFile held = InputFile::Open(job);
  ASSERT_TRUE(held.IsOpen());
  for (const auto& spelling :
       {job, folder / "link.prn", folder / "hard.prn", folder / "sub" / ".." / "job.prn"}) {
    SCOPED_TRACE(spelling);
    OutputFile output = OutputFile::Create(spelling);
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(output.Error(), EBUSY);
    int error = 0;
    EXPECT_FALSE(DeleteOutputFile(spelling, &error));
    EXPECT_EQ(error, EBUSY);
  }
  EXPECT_EQ(testing::ReadFile(job), testing::Bytes({'j', 'o', 'b'}));

  held.Close();
  EXPECT_TRUE(OutputFile::Create(job).IsOpen());
  EXPECT_TRUE(DeleteOutputFile(job));
}

TEST(HeldFiles, TwoHoldsNeedTwoReleases) {
  TempFolder folder;
  const auto path = folder / "a.zip";
  testing::WriteFile(path, std::string_view("PK"));
  InputFile first = InputFile::Open(path);
  {
    InputFile second = InputFile::Open(path);
    EXPECT_TRUE(IsHeldFile(path));
  }
  EXPECT_TRUE(IsHeldFile(path));
  first.Close();
  EXPECT_FALSE(IsHeldFile(path));
}

TEST(OutputFiles, CreateFailsUnderAMissingFolderOrOnAFolder) {
  TempFolder folder;
  EXPECT_FALSE(OutputFile::Create(folder / "missing" / "x.bin").IsOpen());
  EXPECT_FALSE(OutputFile::Create(folder.path()).IsOpen());
}

TEST(OutputFiles, CreateWithoutFollowingLinksRefusesALinkInThePlace) {
  TempFolder folder;
  testing::WriteFile(folder / "target.bin", std::string_view("target"));
  std::filesystem::create_symlink(folder / "target.bin", folder / "link.bin");
  OutputFile refused = OutputFile::CreateWithoutFollowingLinks(folder / "link.bin");
  EXPECT_FALSE(refused.IsOpen());
  EXPECT_EQ(refused.Error(), ELOOP);
  EXPECT_EQ(testing::ReadFile(folder / "target.bin"), testing::Bytes({'t', 'a', 'r', 'g', 'e', 't'}));
  EXPECT_TRUE(OutputFile::CreateWithoutFollowingLinks(folder / "plain.bin").IsOpen());
  InputFile held = InputFile::Open(folder / "target.bin");
  EXPECT_EQ(OutputFile::CreateWithoutFollowingLinks(folder / "target.bin").Error(), EBUSY);
}

TEST(OutputFiles, InjectedFaultCutsTheWriteShort) {
  TempFolder folder;
  FailWritesAfter("x.bin", 5, ENOSPC);
  OutputFile file = OutputFile::Create(folder / "x.bin");
  const std::uint8_t bytes[4] = {1, 2, 3, 4};
  EXPECT_TRUE(file.Write(bytes));
  EXPECT_FALSE(file.Write(bytes));
  EXPECT_EQ(file.Error(), ENOSPC);
  EXPECT_EQ(file.Length(), 5u);
  ClearWriteFaults();
  EXPECT_TRUE(file.Write(bytes));
}

}  // namespace
}  // namespace tesk::platform
