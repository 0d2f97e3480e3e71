// Page mode: dots composed in a page in one of four directions inside the
// ESC W area, placed on the paper by FF and ESC FF, and what is listed when a
// page is cleared or never printed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/printer/paper_rows.h"

namespace tesk::printer {
namespace {

using testing::Joined;
using testing::kWhite;
using testing::NotDrawnLines;
using testing::PieceRows;
using testing::Print;
using testing::Repeated;

// The dots of `area` on the first piece, one string a row.
std::vector<std::string> Cut(const Paper& paper, const Rectangle& area) {
  std::vector<std::string> rows;
  const auto all = PieceRows(paper);
  for (std::int64_t y = area.y; y < area.y + area.height && y < static_cast<std::int64_t>(all.size()); ++y)
    rows.push_back(all[static_cast<std::size_t>(y)].substr(static_cast<std::size_t>(area.x),
                                                           static_cast<std::size_t>(area.width)));
  return rows;
}

std::vector<std::string> HalfTurn(const std::vector<std::string>& rows) {
  std::vector<std::string> turned(rows.rbegin(), rows.rend());
  for (std::string& row : turned) std::reverse(row.begin(), row.end());
  return turned;
}

// A quarter turn anticlockwise (`clockwise` false) or clockwise.
std::vector<std::string> QuarterTurn(const std::vector<std::string>& rows, bool clockwise) {
  const std::size_t height = rows.size();
  const std::size_t width = height ? rows[0].size() : 0;
  std::vector<std::string> turned(width, std::string(height, '0'));
  for (std::size_t y = 0; y < height; ++y)
    for (std::size_t x = 0; x < width; ++x) {
      if (clockwise)
        turned[x][height - 1 - y] = rows[y][x];
      else
        turned[width - 1 - x][y] = rows[y][x];
    }
  return turned;
}

struct DirectionCase {
  const char* name;
  int direction;  // ESC T n
  Rectangle cell;
  Rectangle image;
  std::vector<std::string> imageDots;
};

std::string DirectionName(const ::testing::TestParamInfo<DirectionCase>& info) { return info.param.name; }

class PageDirections : public ::testing::TestWithParam<DirectionCase> {};

// On a 48-dot printer, a 48 x 32 page: "A" in font A (12 x 24), a line feed,
// then an 8 x 2 raster image of an L on its side.
std::string DirectionJob(int direction) {
  char selected[8];
  std::snprintf(selected, sizeof selected, "%02x", direction);
  return std::string("1b4c 1b57 0000 0000 3000 2000 1b54") + selected + "41 0a 1d7630 00 0100 0200 e0 80 0c";
}

TEST_P(PageDirections, TurnTheCellAndTheImageFromTheirCorner) {
  const DirectionCase& c = GetParam();
  const Profile profile = testing::NarrowProfile(48);
  const Paper paper = Print(DirectionJob(c.direction), profile);
  const Paper upright = Print(DirectionJob(0), profile);
  EXPECT_TRUE(paper.notDrawn.empty()) << NotDrawnLines(paper).front();
  EXPECT_EQ(paper.Height(), 32);
  ASSERT_EQ(paper.drawn.size(), 2u);
  const auto same = [](const Rectangle& a, const Rectangle& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
  };
  EXPECT_EQ(paper.drawn[0].kind, ItemKind::Text);
  EXPECT_EQ(paper.drawn[0].codePoint, U'A');
  EXPECT_TRUE(same(paper.drawn[0].area, c.cell));
  EXPECT_EQ(paper.drawn[1].kind, ItemKind::RasterImage);
  EXPECT_TRUE(same(paper.drawn[1].area, c.image));
  EXPECT_EQ(Cut(paper, c.image), c.imageDots);
  // The glyph is the font's; whatever its dots, the page turns them.
  const auto cell = Cut(upright, {0, 0, 12, 24});
  ASSERT_NE(std::count(cell.begin(), cell.end(), std::string(12, '0')), 24);
  const auto expected = c.direction == 0   ? cell
                        : c.direction == 1 ? QuarterTurn(cell, false)
                        : c.direction == 2 ? HalfTurn(cell)
                                           : QuarterTurn(cell, true);
  EXPECT_EQ(Cut(paper, c.cell), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Page, PageDirections,
    ::testing::Values(
        DirectionCase{"LeftToRightFromTopLeft", 0, {0, 0, 12, 24}, {0, 24, 8, 2}, {"11100000", "10000000"}},
        DirectionCase{"BottomToTopFromBottomLeft",
                      1,
                      {0, 20, 24, 12},
                      {24, 24, 2, 8},
                      {"00", "00", "00", "00", "00", "10", "10", "11"}},
        DirectionCase{
            "RightToLeftFromBottomRight", 2, {36, 8, 12, 24}, {40, 6, 8, 2}, {"00000001", "00000111"}},
        DirectionCase{"TopToBottomFromTopRight",
                      3,
                      {24, 0, 24, 12},
                      {22, 0, 2, 8},
                      {"11", "01", "01", "00", "00", "00", "00", "00"}}),
    DirectionName);

using PageCase = testing::JobCase;
class PageLayout : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageLayout, PutsThePageWhereThePrinterWould) {
  Profile profile = testing::NarrowProfile();
  profile.columnImageVerticalPitch = 1;  // ESC * mode 1 columns 8 dots tall
  EXPECT_EQ(PieceRows(Print(GetParam().job, profile)), GetParam().rows);
}

// The narrow printer: 16 dots, one motion unit a dot.
INSTANTIATE_TEST_SUITE_P(
    Page, PageLayout,
    ::testing::Values(
        // A 16-dot band in an 8 x 4 area from (4, 2): cut to the area, the
        // page as long as the area's bottom.
        PageCase{"AreaClipsTheImage", "1b4c 1b57 0400 0200 0800 0400 1d7630 00 0100 0600 ffffffffffff 0c",
                 Joined({{kWhite, kWhite}, Repeated("0000111111110000", 4)})},
        PageCase{"AbsoluteAndRelativeVerticalPositions",
                 "1b4c 1b57 0000 0000 1000 0a00"
                 "1d24 0400 1d7630 00 0100 0100 ff"  // row 4
                 "1d5c 0300 1d7630 00 0100 0100 0f"  // 5 + 3: row 8
                 "1d5c fdff 1d7630 00 0100 0100 f0"  // 9 - 3: row 6
                 "1d24 2000 1d5c 2000"               // beyond the area: ignored
                 "0c",
                 Joined({Repeated(kWhite, 4),
                         {"1111111100000000", kWhite, "1111000000000000", kWhite, "0000111100000000",
                          kWhite}})},
        // ESC $ counts along the line: down the paper from the top right.
        PageCase{"HorizontalPositionFollowsTheDirection",
                 "1b4c 1b57 0000 0000 1000 1000 1b5403 1b24 0500 1b2a 01 0100 ff 0c",
                 Joined({Repeated(kWhite, 5), {"0000000011111111"}, Repeated(kWhite, 10)})},
        // CAN clears the current area only, cutting through an image that
        // reaches into it.
        PageCase{"CancelClearsTheCurrentArea",
                 "1b4c 1b57 0000 0000 1000 0800 1d7630 00 0200 0600 ffffffffffffffffffffffff"
                 "1b57 0000 0400 1000 0400 1d7630 00 0100 0100 ff 18 0c",
                 Joined({Repeated("1111111111111111", 4), Repeated(kWhite, 4)})},
        // ESC FF prints and keeps the page; FF prints it and leaves page mode.
        PageCase{"EscFfPrintsAgainFfReturnsToStandardMode",
                 "1b4c 1b57 0000 0000 1000 0200 1d7630 00 0100 0100 ff 1b0c 1b0c 0c 1d7630 00 0100 0100 0f",
                 {"1111111100000000", kWhite, "1111111100000000", kWhite, "1111111100000000", kWhite,
                  "0000111100000000"}},
        // ESC @ throws the page away and goes back to standard mode where the
        // paper stood.
        PageCase{"InitialiseLeavesPageMode",
                 "1d7630 00 0100 0100 81 1b4c 1d7630 00 0100 0100 ff 1b40 1d7630 00 0100 0100 0f",
                 {"1000000100000000", "0000111100000000"}}),
    testing::JobCaseName);

TEST(PageListing, SaysWhatNoPrintedPageHeld) {
  const Paper paper = Print(
      "1b4c 1d7630 00 0100 0100 ff 1b53"  // 2: cleared by ESC S at 11
      "1b4c 1b57 0000 0000 1000 0400"     // 13
      "1d7630 00 0100 0100 ff"            // 25: cleared by CAN at 34
      "18 1d5600 1d4c 0400"               // 34 CAN, 35 cut and 38 GS L: not in page mode
      "1d7630 00 0100 0100 ff 1b0c"       // 42: printed by ESC FF at 51
      "1d7630 00 0100 0100 ff 1b40"       // 53: cleared by ESC @ at 62
      "0c 18 1d240000 1d5c0000"           // 64.. page commands in standard mode
      "1b4c 1d7630 00 0100 0100 ff");     // 76: never printed
  EXPECT_EQ(NotDrawnLines(paper), (std::vector<std::string>{
                                      "2 GS v 0: cleared from the page before the page was printed",
                                      "25 GS v 0: cleared from the page before the page was printed",
                                      "35 GS V: ignored in page mode",
                                      "38 GS L: ignored in page mode",
                                      "53 GS v 0: cleared from the page before the page was printed",
                                      "64 FF: ignored outside page mode",
                                      "65 CAN: ignored outside page mode",
                                      "66 GS $: ignored outside page mode",
                                      "70 GS \\: ignored outside page mode",
                                      "76 GS v 0: left in a page that was never printed (no FF or ESC FF)",
                                  }));
  ASSERT_EQ(paper.notDrawn.size(), 10u);
  EXPECT_EQ(paper.notDrawn[0].detail, "by ESC S");
  EXPECT_EQ(paper.notDrawn[1].detail, "by CAN");
  EXPECT_EQ(paper.notDrawn[4].detail, "by ESC @");
  // Only the page printed by ESC FF reached the paper: its 4-dot area, the
  // band a row down where CAN left the position.
  EXPECT_EQ(PieceRows(paper), (std::vector<std::string>{kWhite, "1111111100000000", kWhite, kWhite}));
}

TEST(PageListing, TheDefaultPageIsThePrintableWidthByTheProfilesLength) {
  Profile profile = testing::NarrowProfile();
  profile.pageLength = 40;
  const Paper paper = Print("1b4c 0c", profile);
  EXPECT_TRUE(paper.notDrawn.empty());
  EXPECT_EQ(paper.Height(), 40);
}

}  // namespace
}  // namespace tesk::printer

namespace tesk::printer {
namespace {

TEST(PageSymbols, BarCodesTurnWithThePage) {
  // CODE39 "A", 16 dots tall, in a 128 x 128 page, upright and top to bottom.
  const Profile profile = testing::NarrowProfile(128);
  const std::string symbol = "1d6810 1d7702 1d6b04 41 00";
  const Paper upright = Print("1b4c 1b57 0000 0000 8000 8000 1b5400" + symbol + "0c", profile);
  const Paper turned = Print("1b4c 1b57 0000 0000 8000 8000 1b5403" + symbol + "0c", profile);
  ASSERT_EQ(upright.drawn.size(), 1u);
  ASSERT_EQ(turned.drawn.size(), 1u);
  EXPECT_EQ(turned.drawn[0].kind, ItemKind::Symbol);
  const Rectangle& flat = upright.drawn[0].area;
  const Rectangle& standing = turned.drawn[0].area;
  EXPECT_EQ(flat.height, 16);
  // Down the paper along the right edge, its bottom towards the left.
  EXPECT_EQ(standing.x, 128 - flat.height);
  EXPECT_EQ(standing.y, flat.x);
  EXPECT_EQ(standing.width, flat.height);
  EXPECT_EQ(standing.height, flat.width);
  EXPECT_EQ(Cut(turned, standing), QuarterTurn(Cut(upright, flat), true));
}

}  // namespace
}  // namespace tesk::printer
