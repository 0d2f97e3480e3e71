// Each image command of the printer, as bytes and the dots they must give.

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
using ImageCase = testing::JobCase;

class ImageCommand : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ImageCommand, GivesTheseDots) { EXPECT_EQ(PieceRows(Print(GetParam().job)), GetParam().rows); }

// One byte wide, two rows: 10100000 over 01000000.
INSTANTIATE_TEST_SUITE_P(
    GsV0Modes, ImageCommand,
    ::testing::Values(
        ImageCase{"Normal", "1d7630 00 0100 0200 a0 40", {"1010000000000000", "0100000000000000"}},
        ImageCase{"DoubleWidth", "1d7630 01 0100 0200 a0 40", {"1100110000000000", "0011000000000000"}},
        ImageCase{"DoubleHeight",
                  "1d7630 02 0100 0200 a0 40",
                  {"1010000000000000", "1010000000000000", "0100000000000000", "0100000000000000"}},
        ImageCase{"Quadruple",
                  "1d7630 03 0100 0200 a0 40",
                  {"1100110000000000", "1100110000000000", "0011000000000000", "0011000000000000"}},
        ImageCase{"Normal48", "1d7630 30 0100 0200 a0 40", {"1010000000000000", "0100000000000000"}},
        ImageCase{"DoubleWidth49", "1d7630 31 0100 0200 a0 40", {"1100110000000000", "0011000000000000"}},
        ImageCase{"DoubleHeight50",
                  "1d7630 32 0100 0200 a0 40",
                  {"1010000000000000", "1010000000000000", "0100000000000000", "0100000000000000"}},
        ImageCase{"Quadruple51",
                  "1d7630 33 0100 0200 a0 40",
                  {"1100110000000000", "1100110000000000", "0011000000000000", "0011000000000000"}}),
    testing::JobCaseName);

// Two columns: the first with its top dot, the second with its bottom dot.
// The 8-dot modes print each bit three dots tall on the 203-dpi baseline,
// the single-density modes each column two dots wide.
INSTANTIATE_TEST_SUITE_P(
    EscStarModesAndTheLineBuffer, ImageCommand,
    ::testing::Values(ImageCase{"EightDotSingleDensity", "1b2a 00 0200 80 01 0a",
                                Joined({Repeated("1100000000000000", 3), Repeated(kWhite, 18),
                                        Repeated("0011000000000000", 3)})},
                      ImageCase{"EightDotDoubleDensity", "1b2a 01 0200 80 01 0a",
                                Joined({Repeated("1000000000000000", 3), Repeated(kWhite, 18),
                                        Repeated("0100000000000000", 3)})},
                      ImageCase{"TwentyFourDotSingleDensity", "1b2a 20 0200 800000 000001 0a",
                                Joined({{"1100000000000000"}, Repeated(kWhite, 22), {"0011000000000000"}})},
                      ImageCase{"TwentyFourDotDoubleDensity", "1b2a 21 0200 800000 000001 0a",
                                Joined({{"1000000000000000"}, Repeated(kWhite, 22), {"0100000000000000"}})},
                      ImageCase{"SideBySideInOneLine", "1b2a 21 0100 ffffff 1b2a 21 0100 ffffff 0a",
                                Repeated("1100000000000000", 24)},
                      ImageCase{"StackedWithoutGapAfterEsc3Zero",
                                "1b3300 1b2a 21 0100 ffffff 0a 1b2a 21 0100 ffffff 0a",
                                Repeated("1000000000000000", 48)},
                      ImageCase{"LineSpacingBeyondTheImageLeavesAGap",
                                "1b331e 1b2a 21 0100 ffffff 0a 1b2a 21 0100 ffffff 0a",
                                Joined({Repeated("1000000000000000", 24), Repeated(kWhite, 6),
                                        Repeated("1000000000000000", 24), Repeated(kWhite, 6)})},
                      ImageCase{"EscJFeedsTheTallerOfFeedAndImage", "1b2a 21 0100 ffffff 1b4a 02 1b4a 02",
                                Joined({Repeated("1000000000000000", 24), Repeated(kWhite, 2)})},
                      ImageCase{"EscDFeedsLines", "1b2a 21 0100 ffffff 1b6407",
                                Joined({Repeated("1000000000000000", 24), Repeated(kWhite, 4)})}),
    testing::JobCaseName);

// Graphics stored in the print buffer and printed, defined images printed by
// key or number, and the older column-format images.
class StoredImages : public ::testing::TestWithParam<ImageCase> {};

TEST_P(StoredImages, PrintWhereTheyAreCalled) {
  const Paper paper = Print(GetParam().job);
  EXPECT_EQ(PieceRows(paper), GetParam().rows);
  EXPECT_TRUE(paper.notDrawn.empty()) << NotDrawnLines(paper).front();
}

const std::vector<std::string> kDiagonal = {"1000000000000000", "0100000000000000", "0010000000000000",
                                            "0001000000000000", "0000100000000000", "0000010000000000",
                                            "0000001000000000", "0000000100000000"};

INSTANTIATE_TEST_SUITE_P(
    Graphics, StoredImages,
    ::testing::Values(
        ImageCase{"GsParenL112Then50",
                  "1d284c 0b00 30 70 30 01 01 31 0800 0100 f0 1d284c 0200 30 32",
                  {"1111000000000000"}},
        ImageCase{"GsParenL112ScaledTwice",
                  "1d284c 0b00 30 70 30 02 02 31 0800 0100 f0 1d284c 0200 30 32",
                  {"1111111100000000", "1111111100000000"}},
        ImageCase{"GsParenL113Columns", "1d284c 0c00 30 71 30 01 01 31 0200 0800 80 01 1d284c 0200 30 32",
                  Joined({{"1000000000000000"}, Repeated(kWhite, 6), {"0100000000000000"}})},
        ImageCase{"Gs8L112Then50",
                  "1d384c 0b000000 30 70 30 01 01 31 0800 0100 f0 1d384c 02000000 30 32",
                  {"1111000000000000"}},
        ImageCase{"NvGraphics67Then69",
                  "1d284c 0c00 30 43 30 4131 01 0800 0100 31 f0 1d284c 0600 30 45 4131 02 01",
                  {"1111111100000000"}},
        ImageCase{"NvGraphics68ColumnsThen69",
                  "1d284c 0d00 30 44 30 4131 01 0200 0800 31 80 01 1d284c 0600 30 45 4131 01 01",
                  Joined({{"1000000000000000"}, Repeated(kWhite, 6), {"0100000000000000"}})},
        ImageCase{"DownloadGraphics83Then85",
                  "1d284c 0c00 30 53 30 4131 01 0800 0100 31 f0 1d284c 0600 30 55 4131 01 02",
                  {"1111000000000000", "1111000000000000"}},
        ImageCase{"DownloadGraphics84ColumnsThen85",
                  "1d284c 0d00 30 54 30 4131 01 0200 0800 31 80 01 1d284c 0600 30 55 4131 01 01",
                  Joined({{"1000000000000000"}, Repeated(kWhite, 6), {"0100000000000000"}})},
        ImageCase{"TwoColourPlanesBothShow",
                  "1d284c 0e00 30 43 30 4131 02 0800 0100 31 f0 32 0f 1d284c 0600 30 45 4131 01 01",
                  {"1111111100000000"}},
        ImageCase{"FsQThenFsP", "1c71 01 0100 0100 8040201008040201 1c70 01 00", kDiagonal},
        ImageCase{"GsStarThenGsSlash", "1d2a 01 01 8040201008040201 1d2f 00", kDiagonal},
        ImageCase{"GsQ0", "1d5130 00 0800 0100 8040201008040201", kDiagonal},
        ImageCase{"GsSlashQuadruple", "1d2a 01 01 8000000000000000 1d2f 03",
                  Joined({Repeated("1100000000000000", 2), Repeated(kWhite, 14)})}),
    testing::JobCaseName);

TEST(StoredImages, AreListedWhenTheirKeyOrNumberIsUnknown) {
  const Paper paper = Print(
      "1d284c 0600 30 45 4232 01 01"                  // NV key "B2" never defined
      "1d284c 0c00 30 43 30 4131 01 0800 0100 31 f0"  // define "A1"
      "1d284c 0400 30 42 4131"                        // delete "A1"
      "1d284c 0600 30 45 4131 01 01"                  // print "A1": gone
      "1c70 02 00"                                    // FS p 2: nothing defined
      "1d2f 00"                                       // GS /: nothing defined
      "1d284c 0200 30 32");                           // empty graphics buffer
  EXPECT_EQ(NotDrawnLines(paper), (std::vector<std::string>{
                                      "0 GS ( L: no image defined under that number or key",
                                      "37 GS ( L: no image defined under that number or key",
                                      "48 FS p: no image defined under that number or key",
                                      "52 GS /: no image defined under that number or key",
                                      "55 GS ( L: no image defined under that number or key",
                                  }));
  EXPECT_TRUE(paper.pieces.empty());
}

TEST(StoredImages, InitialiseForgetsTheDownloadBitImageButKeepsNvGraphics) {
  const Paper paper = Print(
      "1d2a 01 01 8040201008040201 1d284c 0c00 30 43 30 4131 01 0800 0100 31 f0 1b40"
      "1d2f 00 1d284c 0600 30 45 4131 01 01");
  EXPECT_EQ(NotDrawnLines(paper),
            std::vector<std::string>{"31 GS /: no image defined under that number or key"});
  EXPECT_EQ(PieceRows(paper), std::vector<std::string>{"1111000000000000"});
}

TEST(ImagesBeyondThePaper, AreClippedAndListed) {
  const Paper paper = Print("1d7630 00 0300 0100 ffffff 1b2a 21 1200" + std::string(18 * 6, 'f') + "0a");
  EXPECT_EQ(PieceRows(paper), Joined({{"1111111111111111"}, Repeated("1111111111111111", 24)}));
  EXPECT_EQ(NotDrawnLines(paper),
            (std::vector<std::string>{"0 GS v 0: clipped at the edge of the print area",
                                      "11 ESC *: clipped at the edge of the print area"}));
  ASSERT_EQ(paper.drawn.size(), 2u);
  EXPECT_EQ(paper.drawn[0].area.width, 16);
  EXPECT_EQ(paper.drawn[1].area.width, 16);
}

TEST(ImagesBeyondThePaper, AreRefusedBeforeThePageIsAllocated) {
  // 2000 rows of a 16-dot paper take 4000 bytes; the limit allows 1000.
  testing::Bytes job = testing::HexBytes("1d7630 00 0100 d007");
  job.resize(job.size() + 2000, 0xFF);
  Paper paper;
  EXPECT_EQ(PrintJob(job, testing::NarrowProfile(), paper, {1000}), PaperResult::TooLarge);
  EXPECT_TRUE(paper.pieces.empty());
  EXPECT_EQ(paper.pieceHeights, std::vector<std::int64_t>{2000});
  EXPECT_EQ(paper.drawn.size(), 1u);
}

TEST(ImagesBeyondThePaper, ABandCutOffByTheEndOfTheJobDrawsItsRows) {
  const Paper paper = Print("1d7630 00 0100 0400 ff 81");
  EXPECT_EQ(PieceRows(paper), (std::vector<std::string>{"1111111100000000", "1000000100000000"}));
  EXPECT_EQ(NotDrawnLines(paper), std::vector<std::string>{"0 GS v 0: cut off by the end of the job"});
  EXPECT_EQ(NotDrawnLines(Print("1d7630 00 01")),
            std::vector<std::string>{"0 GS v 0: cut off by the end of the job"});
}

TEST(ImagesBeyondThePaper, BadModesAndSizesAreListed) {
  const Paper paper =
      Print("1d7630 04 0100 0100 ff 1b2a 02 0100 ff 1d284c 0b00 30 70 30 03 01 31 0800 0100 f0");
  EXPECT_EQ(NotDrawnLines(paper),
            (std::vector<std::string>{"0 GS v 0: parameters out of range", "9 ESC *: parameters out of range",
                                      "15 GS ( L: parameters out of range"}));
  EXPECT_TRUE(paper.pieces.empty());
}

}  // namespace
}  // namespace tesk::printer
