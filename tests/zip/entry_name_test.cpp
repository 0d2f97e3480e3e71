#include "zip/entry_name.h"

#include <gtest/gtest.h>

namespace tesk::zip {
namespace {

struct NameCase {
  const char* name;
  std::string raw;
  std::string cleaned;
  bool safe;
};

class EntryNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNames, CleanedAndJudged) {
  const std::string cleaned = CleanEntryName(GetParam().raw);
  EXPECT_EQ(cleaned, GetParam().cleaned);
  EXPECT_EQ(IsSafeEntryName(cleaned), GetParam().safe);
}

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int index = 0; index < count; ++index) text += piece;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryNames,
    ::testing::Values(NameCase{"PlainName", "job.bin", "job.bin", true},
                      NameCase{"InAFolder", "sub/job.bin", "sub/job.bin", true},
                      NameCase{"FolderEntry", "sub/", "sub/", true},
                      NameCase{"DriveAndBackslashes", "C:\\tmp\\x.bin", "tmp/x.bin", true},
                      NameCase{"LeadingSlash", "/a/b.bin", "a/b.bin", true},
                      NameCase{"MixedClimbsBackToTheTop", "x\\..\\y/../z.bin", "z.bin", true},
                      NameCase{"SlashClimb", "a/../b.bin", "b.bin", true},
                      NameCase{"SlashThenBackslashClimb", "a/..\\b.bin", "b.bin", true},
                      NameCase{"BackslashThenSlashClimb", "a\\../b.bin", "b.bin", true},
                      NameCase{"ClimbAboveTheFolder", "../b.bin", "../b.bin", false},
                      NameCase{"ClimbAboveAfterAFolder", "a/../../b.bin", "../b.bin", false},
                      NameCase{"BackslashClimbAbove", "..\\b.bin", "../b.bin", false},
                      NameCase{"EndsInAClimb", "a/..", "a/..", false},
                      NameCase{"OnlyAClimb", "..", "..", false}, NameCase{"ThreeDots", "...", "...", true},
                      NameCase{"DotsStartingAName", "a/..b/c", "a/..b/c", true},
                      NameCase{"OnlyADrive", "C:", "", false},
                      NameCase{"OnlySeparators", "//\\\\", "", false},
                      NameCase{"NulInTheName", std::string("a\0b", 3), std::string("a\0b", 3), false},
                      NameCase{"LongestName", std::string(259, 'n'), std::string(259, 'n'), true},
                      NameCase{"OneCharacterTooLong", std::string(260, 'n'), std::string(260, 'n'), false},
                      // Long climbs are cleaned in one pass over the name.
                      NameCase{"SixteenThousandClimbs", Repeat("/../", 16000) + "x.bin", "x.bin", true},
                      NameCase{"TwentyThousandDrives", Repeat("a:", 20000) + "y.bin", "y.bin", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tesk::zip
