// Each firmware quirk switch, on and off, over the same job.

#include <gtest/gtest.h>

#include "tests/printer/paper_rows.h"

namespace tesk::printer {
namespace {

using testing::NotDrawnLines;
using testing::PieceRows;
using testing::Print;

struct QuirkCase {
  const char* name;
  void (*enable)(Profile&);
  const char* job;
  std::vector<std::string> off;
  std::vector<std::string> on;
};

std::string CaseName(const ::testing::TestParamInfo<QuirkCase>& info) { return info.param.name; }

class Quirk : public ::testing::TestWithParam<QuirkCase> {
 protected:
  static Profile Narrow() {
    Profile profile = testing::NarrowProfile(8);
    profile.defaultLineSpacing = 2;
    return profile;
  }
};

TEST_P(Quirk, Off) { EXPECT_EQ(PieceRows(Print(GetParam().job, Narrow())), GetParam().off); }

TEST_P(Quirk, On) {
  Profile profile = Narrow();
  GetParam().enable(profile);
  EXPECT_EQ(PieceRows(Print(GetParam().job, profile)), GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, Quirk,
    ::testing::Values(QuirkCase{"LineFeedAfterRasterSwallowed",
                                [](Profile& profile) { profile.quirks.lineFeedAfterRasterSwallowed = true; },
                                "1d7630 00 0100 0100 ff 0a 1d7630 00 0100 0100 81",
                                {"11111111", "00000000", "00000000", "10000001"},
                                {"11111111", "10000001"}},
                      QuirkCase{"FeedDotsIgnored",
                                [](Profile& profile) { profile.quirks.feedDotsIgnored = true; },
                                "1d7630 00 0100 0100 ff 1b4a 02 1d7630 00 0100 0100 81",
                                {"11111111", "00000000", "00000000", "10000001"},
                                {"11111111", "10000001"}},
                      // yH = 1 announces 257 rows; a printer reading yL alone takes one and
                      // reads the next band as a command again.
                      QuirkCase{"RasterHeightLowByteOnly",
                                [](Profile& profile) { profile.quirks.rasterHeightLowByteOnly = true; },
                                "1d7630 00 0100 0101 ff 1d7630 00 0100 0100 81",
                                {"11111111", "00011101", "01110110", "00110000", "00000000", "00000001",
                                 "00000000", "00000001", "00000000", "10000001"},
                                {"11111111", "10000001"}},
                      QuirkCase{"CarriageReturnFeeds",
                                [](Profile& profile) { profile.quirks.carriageReturnFeeds = true; },
                                "1d7630 00 0100 0100 ff 0d 1d7630 00 0100 0100 81",
                                {"11111111", "10000001"},
                                {"11111111", "00000000", "00000000", "10000001"}},
                      QuirkCase{"MaxRasterHeight",
                                [](Profile& profile) { profile.quirks.maxRasterHeight = 1; },
                                "1d7630 00 0100 0200 ff 81",
                                {"11111111", "10000001"},
                                {"11111111"}},
                      QuirkCase{"EightDotColumnsOneDotTall",
                                [](Profile& profile) { profile.columnImageVerticalPitch = 1; },
                                "1b2a 01 0100 a0 0a",
                                {"10000000", "10000000", "10000000", "00000000", "00000000", "00000000",
                                 "10000000", "10000000", "10000000", "00000000", "00000000", "00000000",
                                 "00000000", "00000000", "00000000", "00000000", "00000000", "00000000",
                                 "00000000", "00000000", "00000000", "00000000", "00000000", "00000000"},
                                {"10000000", "00000000", "10000000", "00000000", "00000000", "00000000",
                                 "00000000", "00000000"}}),
    CaseName);

TEST(QuirkListing, SaysWhatThePrinterIgnored) {
  Profile profile = testing::NarrowProfile();
  profile.quirks.lineFeedAfterRasterSwallowed = true;
  profile.quirks.feedDotsIgnored = true;
  profile.quirks.maxRasterHeight = 1;
  EXPECT_EQ(NotDrawnLines(Print("1d7630 00 0100 0200 ffff 0a 1b4a 05", profile)),
            (std::vector<std::string>{"0 GS v 0: rows beyond the printer's largest raster height",
                                      "10 control: ignored by this printer (profile quirk)",
                                      "11 ESC J: ignored by this printer (profile quirk)"}));
}

}  // namespace
}  // namespace tesk::printer
