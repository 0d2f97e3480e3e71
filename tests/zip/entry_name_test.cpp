#include "zip/entry_name.h"

#include <gtest/gtest.h>

namespace tesk::zip {
namespace {

struct NameCase {
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
    ::testing::Values(
        NameCase{"job.bin", "job.bin", true},
        NameCase{"sub/job.bin", "sub/job.bin", true},
        NameCase{"sub/", "sub/", true},
        NameCase{"C:\\tmp\\x.bin", "tmp/x.bin", true},
        NameCase{"/a/b.bin", "a/b.bin", true},
        NameCase{"x\\..\\y/../z.bin", "z.bin", true},
        NameCase{"a/../b.bin", "b.bin", true},
        NameCase{"a/..\\b.bin", "b.bin", true},
        NameCase{"a\\../b.bin", "b.bin", true},
        NameCase{"../b.bin", "../b.bin", false},
        NameCase{"a/../../b.bin", "../b.bin", false},
        NameCase{"..\\b.bin", "../b.bin", false},
        NameCase{"a/..", "a/..", false},
        NameCase{"..", "..", false},
        NameCase{"...", "...", true},
        NameCase{"a/..b/c", "a/..b/c", true},
        NameCase{"C:", "", false},
        NameCase{"//\\\\", "", false},
        NameCase{std::string("a\0b", 3), std::string("a\0b", 3), false},
        NameCase{std::string(259, 'n'), std::string(259, 'n'), true},
        NameCase{std::string(260, 'n'), std::string(260, 'n'), false},
        // Long climbs are cleaned in one pass over the name.
        NameCase{Repeat("/../", 16000) + "x.bin", "x.bin", true},
        NameCase{Repeat("a:", 20000) + "y.bin", "y.bin", true}));

}  // namespace
}  // namespace tesk::zip
