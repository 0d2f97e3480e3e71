// Text on the paper: where cells land, how styles fill them, and which
// character each byte stands for under the code page and multibyte mode.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/font_files.h"
#include "printer/character_decoder.h"
#include "printer/glyph_cache.h"
#include "printer/text_cells.h"
#include "tests/printer/paper_rows.h"

namespace tesk::printer {
namespace {

using testing::Joined;
using testing::kWhite;
using testing::PieceRows;
using testing::Repeated;

// Tiny cells keep the bit strings short: font A 4 x 6, font B 3 x 4 and a
// 6 x 6 multibyte cell on the 16-dot printer. Spaces have no glyph, so
// underline and reverse show the cells without depending on any font.
Profile TextProfile() {
  Profile profile = testing::NarrowProfile();
  profile.fonts = {{"A", 4, 6}, {"B", 3, 4}};
  profile.multibyte.cell = {"multibyte", 6, 6};
  return profile;
}

Paper PrintText(std::string_view hex, Profile profile = TextProfile()) {
  return testing::Print(hex, profile);
}

std::vector<char32_t> CodePoints(const Paper& paper) {
  std::vector<char32_t> points;
  for (const DrawnItem& item : paper.drawn)
    if (item.kind == ItemKind::Text) points.push_back(item.codePoint);
  return points;
}

class TextCells : public ::testing::TestWithParam<testing::JobCase> {};

TEST_P(TextCells, FillTheCellsThePrinterWould) {
  EXPECT_EQ(PieceRows(PrintText(GetParam().job)), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, TextCells,
    ::testing::Values(
        testing::JobCase{"ReversedSpace", "1d4201 20 0a", Repeated("1111000000000000", 6)},
        testing::JobCase{"UnderlineOneDot", "1b2d01 2020 0a",
                         Joined({Repeated(kWhite, 5), {"1111111100000000"}})},
        testing::JobCase{"UnderlineTwoDots", "1b2d32 20 0a",
                         Joined({Repeated(kWhite, 4), Repeated("1111000000000000", 2)})},
        testing::JobCase{"UnderlineByPrintModes", "1b2180 20 0a",
                         Joined({Repeated(kWhite, 5), {"1111000000000000"}})},
        testing::JobCase{"UnderlineCoversRightSpacing", "1b2001 1b2d01 20 0a",
                         Joined({Repeated(kWhite, 5), {"1111100000000000"}})},
        testing::JobCase{"UnderlineUpsideDownIsOnTop", "1b7b01 1b2d01 20 0a",
                         Joined({{"1111000000000000"}, Repeated(kWhite, 5)})},
        testing::JobCase{"UpsideDownLineRunsRightToLeft", "1b7b01 1d4201 20 1d4200 2020 0a",
                         Repeated("0000000011110000", 6)},
        // Turned half-way, the short cell hangs from the line's top.
        testing::JobCase{"UpsideDownBaselineIsAtTheTop", "1b7b01 1d4201 20 1d4200 1d2101 20 0a",
                         Joined({Repeated("0000111100000000", 6), Repeated(kWhite, 6)})},
        // A clockwise character on an upside-down line: turned, not underlined.
        testing::JobCase{"UpsideDownQuarterTurn", "1b7b01 1b5601 1b2d01 1d4201 20 1d4200 20 0a",
                         Repeated("0000001111110000", 4)},
        testing::JobCase{"DoubleWidthReverse", "1d2110 1d4201 20 0a", Repeated("1111111100000000", 6)},
        testing::JobCase{"DoubleHeightReverse", "1b2110 1d4201 20 0a", Repeated("1111000000000000", 12)},
        testing::JobCase{"UnderlineKeepsItsThicknessWhenTall", "1d2111 1b2d01 20 0a",
                         Joined({Repeated(kWhite, 11), {"1111111100000000"}})},
        testing::JobCase{"FontBCell", "1b4d01 1d4201 20 0a", Joined({Repeated("1110000000000000", 4)})},
        testing::JobCase{"ReverseOffAgain", "1d4201 20 1d4200 1b2d01 20 0a",
                         Joined({Repeated("1111000000000000", 5), {"1111111100000000"}})},
        testing::JobCase{"InitialiseClearsStyles", "1d4201 1b2d01 1b40 20 0a", Repeated(kWhite, 6)}),
    testing::JobCaseName);

// ESC V turns the 4 x 6 cell into a 6 x 4 one; double width and double
// height enlarge it in the character's own directions.
INSTANTIATE_TEST_SUITE_P(
    Rotation, TextCells,
    ::testing::Values(
        testing::JobCase{"QuarterTurnSwapsTheCell", "1b5601 1d4201 20 0a", Repeated("1111110000000000", 4)},
        testing::JobCase{"Parameter49TurnsToo", "1b5631 1d4201 20 0a", Repeated("1111110000000000", 4)},
        testing::JobCase{"OffAgain", "1b5601 1b5630 1d4201 20 0a", Repeated("1111000000000000", 6)},
        testing::JobCase{"DoubleWidthMakesItTaller", "1b5601 1d2110 1d4201 20 0a",
                         Repeated("1111110000000000", 8)},
        testing::JobCase{"DoubleHeightMakesItWider", "1b5601 1d2101 1d4201 20 0a",
                         Repeated("1111111111110000", 4)},
        testing::JobCase{"RightSpacingStaysAcross", "1b5601 1b2001 1d4201 20 0a",
                         Repeated("1111111000000000", 4)},
        testing::JobCase{"NotUnderlined", "1b5601 1b2d02 20 0a", Repeated(kWhite, 4)},
        // The turned cell is shorter than the upright one and stands on the baseline.
        testing::JobCase{"BesideAnUprightCell", "1d4201 20 1b5601 20 0a",
                         Joined({Repeated("1111000000000000", 2), Repeated("1111111111000000", 4)})},
        testing::JobCase{"MultibyteCellsTurnToo", "1c26 1b5601 1d2110 1d4201 a1a1 0a",
                         Repeated("1111110000000000", 12)}),
    testing::JobCaseName);

// FS S puts its spacing on both sides of multibyte cells only, enlarged
// with them; ESC @ clears it.
INSTANTIATE_TEST_SUITE_P(
    MultibyteSpacing, TextCells,
    ::testing::Values(testing::JobCase{"LeftAndRight", "1c26 1c530102 1d4201 a1a1 0a",
                                       Repeated("1111111110000000", 6)},
                      testing::JobCase{"UnderlineCoversTheSpacing", "1c26 1c530200 1c2d01 a1a1 0a",
                                       Joined({Repeated(kWhite, 5), {"1111111100000000"}})},
                      testing::JobCase{"DoubledByDoubleWidth", "1c26 1c530100 1c5701 1d4201 a1a1 0a",
                                       Repeated("1111111111111100", 12)},
                      testing::JobCase{"LeavesSingleByteCellsAlone", "1c26 1c530303 1d4201 20 0a",
                                       Repeated("1111000000000000", 6)},
                      testing::JobCase{"ClearedByInitialise", "1c530303 1b40 1c26 1d4201 a1a1 0a",
                                       Repeated("1111110000000000", 6)}),
    testing::JobCaseName);

INSTANTIATE_TEST_SUITE_P(
    Lines, TextCells,
    ::testing::Values(
        // The short cell stands on the line's bottom beside the tall one;
        // reverse printing overrides the underline, so the tall cell is
        // black to its last row.
        testing::JobCase{"CellsShareTheBaseline", "1b2d01 20 1d2101 1d4201 20 0a",
                         Joined({Repeated("0000111100000000", 11), {"1111111100000000"}})},
        testing::JobCase{"Centred", "1b6101 1d4201 20 0a", Repeated("0000001111000000", 6)},
        testing::JobCase{"Right", "1b6102 1d4201 20 0a", Repeated("0000000000001111", 6)},
        testing::JobCase{"CentredCountsEveryCell", "1b6101 1d4201 20 1d4200 20 0a",
                         Repeated("0000111100000000", 6)},
        testing::JobCase{"TabToSetStop", "1b44 02 00 09 1d4201 20 0a", Repeated("0000000011110000", 6)},
        testing::JobCase{"LineSpacingLargerThanTheCell", "1b3308 1d4201 20 0a",
                         Joined({Repeated("1111000000000000", 6), Repeated(kWhite, 2)})},
        testing::JobCase{"WrapsAtThePrintableWidth", "1d4201 2020202020 0a",
                         Joined({Repeated("1111111111111111", 6), Repeated("1111000000000000", 6)})},
        testing::JobCase{"WrapsAtTheAreaWidth", "1d5708 00 1d4201 202020 0a",
                         Joined({Repeated("1111111100000000", 6), Repeated("1111000000000000", 6)})},
        // GB18030 A1 A1 is the ideographic space: a 6-dot multibyte cell.
        testing::JobCase{"MultibyteCellBesideAscii", "1c26 1d4201 20 a1a1 0a",
                         Repeated("1111111111000000", 6)},
        testing::JobCase{"MultibyteDoubleWidthByFsBang", "1c26 1c2104 1d4201 a1a1 0a",
                         Repeated("1111111111110000", 6)},
        testing::JobCase{"MultibyteUnderlineIsItsOwn", "1c26 1c2d02 20 a1a1 0a",
                         Joined({Repeated(kWhite, 4), Repeated("0000111111000000", 2)})}),
    testing::JobCaseName);

struct CodePointCase {
  const char* name;
  const char* job;
  std::vector<char32_t> codePoints;
};

class CharacterCodes : public ::testing::TestWithParam<CodePointCase> {};

TEST_P(CharacterCodes, AreReadUnderTheCurrentSettings) {
  EXPECT_EQ(CodePoints(PrintText(GetParam().job)), GetParam().codePoints);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CharacterCodes,
    ::testing::Values(
        // The same byte 82 under PC437, WPC1252 and PC866 in one line.
        CodePointCase{"EscTSwitchesMidLine", "82 1b7410 82 1b7411 82 0a", {U'é', U'‚', U'В'}},
        CodePointCase{"Katakana", "1b7401 b1 0a", {U'ｱ'}}, CodePointCase{"Pc850", "1b7402 d0 0a", {U'ð'}},
        CodePointCase{"Pc852", "1b7412 a5 0a", {U'ą'}}, CodePointCase{"Pc858Euro", "1b7413 d5 0a", {U'€'}},
        CodePointCase{"UnknownPageKeepsTheLastOne", "1b7410 1b74fe 80 0a", {U'€'}},
        CodePointCase{"InternationalSetGermany", "1b5202 5b7e 0a", {U'Ä', U'ß'}},
        CodePointCase{"InternationalSetLeavesLettersAlone", "1b5203 2341 0a", {U'£', U'A'}},
        CodePointCase{"MultibyteOffReadsTheCodePage", "d6d0 0a", {U'╓', U'╨'}},
        CodePointCase{"Gb18030TwoAndFourBytesBesideAscii",
                      "1c26 41 d6d0 81308937 95328236 42 0a",
                      {U'A', U'中', U'Þ', U'\U00020000', U'B'}},
        CodePointCase{"MultibyteOffAgain", "1c26 d6d0 1c2e d6 0a", {U'中', U'╓'}}),
    [](const ::testing::TestParamInfo<CodePointCase>& info) { return std::string(info.param.name); });

// FS C on a Japanese printer: the same bytes under JIS, Shift JIS and
// Shift JIS-2004 (81 AD is a Shift JIS-2004 addition).
struct KanjiCodesCase {
  const char* name;
  const char* encoding;
  const char* job;
  std::vector<char32_t> codePoints;
};

class KanjiCodeSystem : public ::testing::TestWithParam<KanjiCodesCase> {};

TEST_P(KanjiCodeSystem, ChoosesHowMultibyteBytesAreRead) {
  Profile profile = TextProfile();
  profile.multibyte.encoding = GetParam().encoding;
  EXPECT_EQ(CodePoints(PrintText(GetParam().job, profile)), GetParam().codePoints);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, KanjiCodeSystem,
    ::testing::Values(
        KanjiCodesCase{"ShiftJisByProfile", "SHIFT_JIS", "1c26 93fa 467c 0a", {U'日', U'F', U'|'}},
        KanjiCodesCase{"Jis", "SHIFT_JIS", "1c4300 1c26 467c 0a", {U'日'}},
        KanjiCodesCase{"JisAsciiOutsideKanjiMode",
                       "SHIFT_JIS",
                       "1c4330 467c 1c26 467c 1c2e 467c 0a",
                       {U'F', U'|', U'日', U'F', U'|'}},
        KanjiCodesCase{"ShiftJisAgain", "SHIFT_JIS", "1c4300 1c4331 1c26 93fa 0a", {U'日'}},
        KanjiCodesCase{"ShiftJis2004", "SHIFT_JIS", "1c4302 1c26 81ad 93fa 0a", {U'＇', U'日'}},
        KanjiCodesCase{"ShiftJisLacksTheAddition", "SHIFT_JIS", "1c26 81ad 0a", {kNoCharacter}},
        KanjiCodesCase{"InitialiseRestoresTheProfiles", "SHIFT_JIS", "1c4300 1b40 1c26 93fa 0a", {U'日'}},
        KanjiCodesCase{"ChinesePrintersIgnoreIt", "GB18030", "1c4300 1c26 d6d0 0a", {U'中'}}),
    [](const ::testing::TestParamInfo<KanjiCodesCase>& info) { return std::string(info.param.name); });

TEST(KanjiCodeSystem, AnUnknownSystemIsListedAndChangesNothing) {
  Profile profile = TextProfile();
  profile.multibyte.encoding = "SHIFT_JIS";
  const Paper paper = PrintText("1c4303 1c26 93fa 0a", profile);
  EXPECT_EQ(CodePoints(paper), (std::vector<char32_t>{U'日'}));
  const auto lines = testing::NotDrawnLines(paper);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "0 FS C: " + std::string(NotDrawnReasonText(NotDrawnReason::BadParameters)));
}

TEST(MultibyteMode, IsOnAfterInitialiseWhenTheProfileSaysSo) {
  Profile profile = TextProfile();
  profile.multibyte.onAfterInitialise = true;
  EXPECT_EQ(CodePoints(PrintText("d6d0 0a 1b40 d6d0 0a", profile)), (std::vector<char32_t>{U'中', U'中'}));
}

TEST(TextCellsListed, AsRectanglesWithTheirBytesOffsets) {
  const Paper paper = PrintText("1c26 41 d6d0 0a 1d2111 42 0a");
  ASSERT_EQ(paper.drawn.size(), 3u);
  const auto area = [&](std::size_t index) {
    const Rectangle& r = paper.drawn[index].area;
    return std::vector<std::int64_t>{r.x, r.y, r.width, r.height};
  };
  EXPECT_EQ(paper.drawn[0].offset, 2u);
  EXPECT_EQ(area(0), (std::vector<std::int64_t>{0, 0, 4, 6}));
  EXPECT_EQ(paper.drawn[1].offset, 3u);
  EXPECT_EQ(area(1), (std::vector<std::int64_t>{4, 0, 6, 6}));
  EXPECT_EQ(area(2), (std::vector<std::int64_t>{0, 6, 8, 12}));
}

bool FontsInstalled() {
  return !platform::FindFontFile(platform::FontRole::Latin).empty() &&
         !platform::FindFontFile(platform::FontRole::Ideograph).empty();
}

TEST(Glyphs, CharactersNoFontHasAreListedAndLeftBlank) {
  // GB18030 E3 32 9A 33 is U+10FFFD, a private-use character of no font.
  const Paper paper = PrintText("1c26 e3329a33 0a");
  ASSERT_EQ(paper.notDrawn.size(), 1u);
  EXPECT_EQ(paper.notDrawn[0].command, "text U+10FFFD");
  EXPECT_EQ(paper.notDrawn[0].reason, NotDrawnReason::NoGlyph);
  EXPECT_EQ(PieceRows(paper), Repeated(kWhite, 6));
}

TEST(Glyphs, StayInsideTheirCellsAtEverySize) {
  if (!FontsInstalled()) GTEST_SKIP() << "the bootstrap's fonts are not installed";
  Profile profile;  // 12 x 24, 9 x 17 and 24 x 24 cells on 576 dots
  // "A", a double-size "W", font B "g", an ideograph, each alone on its line.
  Paper paper;
  const auto job = testing::HexBytes("41 0a 1d2111 57 0a 1d2100 1b4d01 67 0a 1b4d00 1c26 d6d0 0a");
  ASSERT_EQ(PrintJob(job, profile, paper), PaperResult::Printed);
  EXPECT_TRUE(paper.notDrawn.empty());
  const std::vector<std::int64_t> widths = {12, 24, 9, 24};
  const auto rows = PieceRows(paper);
  std::int64_t top = 0;
  ASSERT_EQ(paper.drawn.size(), widths.size());
  for (std::size_t index = 0; index < widths.size(); ++index) {
    const Rectangle& area = paper.drawn[index].area;
    EXPECT_EQ(area.width, widths[index]);
    EXPECT_GE(area.y, top);
    std::int64_t black = 0;
    for (std::int64_t y = area.y; y < area.y + area.height; ++y) {
      const std::string& row = rows[static_cast<std::size_t>(y)];
      black += std::count(row.begin(), row.begin() + area.width, '1');
      EXPECT_EQ(row.find('1', static_cast<std::size_t>(area.width)), std::string::npos) << "row " << y;
    }
    EXPECT_GT(black, area.width) << "character " << index << " drew almost nothing";
    top = area.y + area.height;
  }
}

TEST(Glyphs, AreTheSameEveryTime) {
  if (!FontsInstalled()) GTEST_SKIP() << "the bootstrap's fonts are not installed";
  GlyphCache first;
  GlyphCache second;
  const FontCell cell{"A", 12, 24};
  const DotBlock a = DrawString(first, U"Tesk 12", cell);
  const DotBlock b = DrawString(second, U"Tesk 12", cell);
  ASSERT_EQ(a.width, 7 * 12);
  ASSERT_EQ(a.height, 24);
  EXPECT_TRUE(std::equal(a.rows, a.rows + a.stride * a.height, b.rows));
}

TEST(Glyphs, UpsideDownIsTheCellTurnedHalfWay) {
  if (!FontsInstalled()) GTEST_SKIP() << "the bootstrap's fonts are not installed";
  GlyphCache glyphs;
  const FontCell cell{"A", 12, 24};
  CellStyle turned;
  turned.turn = Turn::UpsideDown;
  const DotBlock upright = DrawString(glyphs, U"F", cell);
  const DotBlock down = DrawString(glyphs, U"F", cell, turned);
  const auto dot = [](const DotBlock& block, std::int64_t x, std::int64_t y) {
    return (block.rows[y * block.stride + x / 8] & (0x80 >> (x % 8))) != 0;
  };
  for (std::int64_t y = 0; y < 24; ++y)
    for (std::int64_t x = 0; x < 12; ++x)
      ASSERT_EQ(dot(upright, x, y), dot(down, 11 - x, 23 - y)) << x << "," << y;
}

TEST(Glyphs, QuarterTurnsAreTheUprightGlyphTurned) {
  if (!FontsInstalled()) GTEST_SKIP() << "the bootstrap's fonts are not installed";
  GlyphCache glyphs;
  const FontCell cell{"A", 12, 24};
  CellStyle clockwise;
  clockwise.turn = Turn::Clockwise;
  CellStyle counter;  // clockwise on an upside-down line
  counter.turn = Turn::CounterClockwise;
  const DotBlock upright = DrawString(glyphs, U"F", cell);
  const DotBlock right = DrawString(glyphs, U"F", cell, clockwise);
  const DotBlock left = DrawString(glyphs, U"F", cell, counter);
  ASSERT_EQ(right.width, 24);
  ASSERT_EQ(right.height, 12);
  ASSERT_EQ(left.width, 24);
  ASSERT_EQ(left.height, 12);
  const auto dot = [](const DotBlock& block, std::int64_t x, std::int64_t y) {
    return (block.rows[y * block.stride + x / 8] & (0x80 >> (x % 8))) != 0;
  };
  // The glyph's top row becomes the right column, then the left one.
  for (std::int64_t y = 0; y < 24; ++y)
    for (std::int64_t x = 0; x < 12; ++x) {
      ASSERT_EQ(dot(upright, x, y), dot(right, 23 - y, x)) << x << "," << y;
      ASSERT_EQ(dot(upright, x, y), dot(left, y, 11 - x)) << x << "," << y;
    }
}

}  // namespace
}  // namespace tesk::printer
