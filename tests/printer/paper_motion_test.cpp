// Where images land: feeds between them, positions, margins, justification,
// cuts, and what is listed instead of drawn.

#include <gtest/gtest.h>

#include "tests/printer/paper_rows.h"

namespace tesk::printer {
namespace {

using testing::Joined;
using testing::kWhite;
using testing::NotDrawnLines;
using testing::PieceRows;
using testing::Print;
using testing::Repeated;
using MotionCase = testing::JobCase;

class PaperMotion : public ::testing::TestWithParam<MotionCase> {};

TEST_P(PaperMotion, PutsTheDotsWhereThePrinterWould) {
  EXPECT_EQ(PieceRows(Print(GetParam().job)), GetParam().rows);
}

// The narrow test printer: 16 dots, line spacing 4, one motion unit a dot.
INSTANTIATE_TEST_SUITE_P(
    Feeds, PaperMotion,
    ::testing::Values(
        MotionCase{"DriverBandsWithEscJBetween",
                   "1d7630 00 0100 0100 ff 1b4a 03 1d7630 00 0100 0100 81",
                   {"1111111100000000", kWhite, kWhite, kWhite, "1000000100000000"}},
        MotionCase{"LineFeedAfterABandFeedsTheLineSpacing", "1d7630 00 0100 0100 ff 0a",
                   Joined({{"1111111100000000"}, Repeated(kWhite, 4)})},
        MotionCase{"BandsIgnoreTheLineSpacing",
                   "1b3364 1d7630 00 0100 0100 ff 1d7630 00 0100 0100 81",
                   {"1111111100000000", "1000000100000000"}},
        MotionCase{"EscDFeedsWholeLines", "1b3302 1b6403", Repeated(kWhite, 6)},
        MotionCase{"DefaultSpacingComesBack", "1b3302 1b32 0a", Repeated(kWhite, 4)},
        MotionCase{"MotionUnitsScaleEscJ", "1d50 00 65 1b4a 02", Repeated(kWhite, 4)},
        MotionCase{"CarriageReturnDoesNotFeed", "0d0d 1d7630 00 0100 0100 ff", {"1111111100000000"}}),
    testing::JobCaseName);

INSTANTIATE_TEST_SUITE_P(
    Positions, PaperMotion,
    ::testing::Values(MotionCase{"CentredBand", "1b6101 1d7630 00 0100 0100 ff", {"0000111111110000"}},
                      MotionCase{"RightBand", "1b6132 1d7630 00 0100 0100 ff", {"0000000011111111"}},
                      MotionCase{"CentredColumnLine", "1b6131 1b2a 21 0200 800000 800000 0a",
                                 Joined({{"0000000110000000"}, Repeated(kWhite, 23)})},
                      MotionCase{"LeftMargin", "1d4c 0400 1d7630 00 0100 0100 ff", {"0000111111110000"}},
                      MotionCase{"LeftMarginAndAreaWidthCentre",
                                 "1d4c 0200 1d57 0c00 1b6101 1d7630 00 0100 0100 ff",
                                 {"0000111111110000"}},
                      MotionCase{"AbsolutePosition", "1b24 0300 1b2a 21 0100 800000 0a",
                                 Joined({{"0001000000000000"}, Repeated(kWhite, 23)})},
                      MotionCase{"RelativePositionBack",
                                 "1b2a 21 0100 800000 1b5c 0400 1b5c feff 1b2a 21 0100 800000 0a",
                                 Joined({{"1001000000000000"}, Repeated(kWhite, 23)})},
                      MotionCase{"InitialiseForgetsMarginAndJustification",
                                 "1d4c 0400 1b6102 1b40 1d7630 00 0100 0100 ff",
                                 {"1111111100000000"}}),
    testing::JobCaseName);

TEST(PrintArea, ChangesOnlyBetweenLines) {
  // The margin after the column image would move it off the paper; the
  // printer keeps the line's area and says so.
  const Paper paper = Print("1b2a 21 0100 800000 1d4c 2000 1d57 0400 0a 1d4c 0200 1d7630 00 0100 0100 ff");
  EXPECT_EQ(PieceRows(paper), Joined({{"1000000000000000"}, Repeated(kWhite, 23), {"0011111111000000"}}));
  EXPECT_EQ(
      NotDrawnLines(paper),
      (std::vector<std::string>{"8 GS L: ignored: the print area changes only at the start of a line",
                                "12 GS W: ignored: the print area changes only at the start of a line"}));
}

TEST(Cuts, SplitThePaperIntoPieces) {
  const Paper paper = Print(
      "1d7630 00 0100 0100 ff 1d5600"     // full cut
      "1d7630 00 0100 0100 81 1d5642 02"  // feed 2 and partial cut
      "1d7630 00 0100 0100 18 1b69"       // ESC i
      "1d7630 00 0100 0100 3c 1b6d");     // ESC m, the job's end: no empty piece after it
  ASSERT_EQ(paper.pieces.size(), 4u);
  EXPECT_EQ(PieceRows(paper, 0), std::vector<std::string>{"1111111100000000"});
  EXPECT_EQ(PieceRows(paper, 1), (std::vector<std::string>{"1000000100000000", kWhite, kWhite}));
  EXPECT_EQ(PieceRows(paper, 2), std::vector<std::string>{"0001100000000000"});
  EXPECT_EQ(PieceRows(paper, 3), std::vector<std::string>{"0011110000000000"});
  EXPECT_EQ(paper.cutOffsets, (std::vector<std::uint64_t>{9, 21, 34, 45}));
  EXPECT_EQ(paper.drawn[3].piece, 3);
  EXPECT_EQ(paper.drawn[3].area.y, 0);
}

TEST(Cuts, PrintTheLineBufferFirst) {
  const Paper paper = Print("1b2a 21 0100 800000 1d5600 1d5601");
  ASSERT_EQ(paper.pieces.size(), 1u);
  EXPECT_EQ(paper.pieces[0].height, 24);
  EXPECT_EQ(paper.cutOffsets, std::vector<std::uint64_t>{8});  // a cut on uncut paper makes no piece
}

TEST(DisplayList, TracesEveryItemToItsCommand) {
  const Paper paper = Print("1b6101 1d7630 00 0100 0200 ffff 1b3300 1b2a 21 0100 ffffff 1b2a 00 0100 ff 0a");
  ASSERT_EQ(paper.drawn.size(), 3u);
  const auto check = [](const DrawnItem& item, std::uint64_t offset, ItemKind kind, Rectangle area) {
    EXPECT_EQ(item.offset, offset);
    EXPECT_EQ(item.kind, kind);
    EXPECT_EQ(item.area.x, area.x);
    EXPECT_EQ(item.area.y, area.y);
    EXPECT_EQ(item.area.width, area.width);
    EXPECT_EQ(item.area.height, area.height);
  };
  check(paper.drawn[0], 3, ItemKind::RasterImage, {4, 0, 8, 2});
  // The line holds 1 + 2 dots; centred in 16 it starts at 6.
  check(paper.drawn[1], 16, ItemKind::ColumnImage, {6, 2, 1, 24});
  check(paper.drawn[2], 24, ItemKind::ColumnImage, {7, 2, 2, 24});
  EXPECT_EQ(paper.Height(), 26);
}

TEST(NotDrawn, ListsEveryCommandThePaperDoesNotShow) {
  const Paper paper = Print(
      "1b5501"                    // 0 unidirectional printing: not shown
      "4869"                      // 3 text
      "0a"                        // 5
      "1d6b 02 303132 00"         // 6 EAN-13 of three digits: refused
      "1d286b 0300 31 51 30"      // 13 QR print with nothing stored
      "1b0c"                      // 21 printing a page in standard mode
      "7f"                        // 23 unknown byte
      "1b2a 21 0100 800000 1b40"  // 24 ESC * cleared by 32 ESC @
      "1b2a 21 0100 800000");     // 34 never printed
  EXPECT_EQ(NotDrawnLines(paper), (std::vector<std::string>{
                                      "0 ESC U: not shown on the paper",
                                      "6 GS k: the printer draws no symbol",
                                      "13 GS (: the printer draws no symbol",
                                      "21 ESC FF: ignored outside page mode",
                                      "23 unknown: unknown command",
                                      "24 ESC *: cleared from the line buffer by ESC @",
                                      "34 ESC *: left in the line buffer at the end of the job",
                                  }));
  EXPECT_EQ(paper.notDrawnCount, 7u);
  // "Hi" takes two lines of font A's 24 dots on the 16-dot printer; a
  // refused symbol takes no paper.
  EXPECT_EQ(paper.Height(), 48);
}

TEST(NotDrawn, TextWrapsAtTheEndOfTheArea) {
  // Font A cells are 12 dots: one character a line on the 16-dot printer.
  EXPECT_EQ(Print("414243 0a").Height(), 3 * 24);
}

}  // namespace
}  // namespace tesk::printer
