// Two jobs compared: their commands lined up, their pictures dot by dot.

#include "core/job_comparison.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/command_alignment.h"
#include "core/job_listing.h"
#include "core/picture_comparison.h"
#include "tests/support/temp_folder.h"

namespace tesk::core {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::HexBytes;

// A band of `widthBytes` x `height` bytes, all `fill`.
std::string Band(int widthBytes, int height, const char* fill) {
  std::string hex = "1d 76 30 00 " + std::to_string(widthBytes / 10) + std::to_string(widthBytes % 10) +
                    " 00 0" + std::to_string(height) + " 00";
  for (int index = 0; index < widthBytes * height; ++index) hex += std::string(" ") + fill;
  return hex;
}

struct AlignmentCase {
  const char* name;
  std::string a;
  std::string b;
  std::int64_t same, changed, onlyInA, onlyInB;
  const char* firstA;  // name of A's command at the first difference, "" for none
  const char* firstB;
};

void PrintTo(const AlignmentCase& c, std::ostream* out) { *out << c.name; }

class CommandAlignmentTest : public ::testing::TestWithParam<AlignmentCase> {};

TEST_P(CommandAlignmentTest, CountsAndFirstDifference) {
  const AlignmentCase& c = GetParam();
  const Bytes a = HexBytes(c.a);
  const Bytes b = HexBytes(c.b);
  const std::vector<CommandLine> commandsA = ListCommands(a);
  const std::vector<CommandLine> commandsB = ListCommands(b);
  const CommandAlignment alignment = AlignCommands(commandsA, a, commandsB, b);
  EXPECT_EQ(alignment.same, c.same);
  EXPECT_EQ(alignment.changed, c.changed);
  EXPECT_EQ(alignment.onlyInA, c.onlyInA);
  EXPECT_EQ(alignment.onlyInB, c.onlyInB);
  const std::string firstA = alignment.firstDifference && alignment.firstDifference->a >= 0
                                 ? commandsA[static_cast<std::size_t>(alignment.firstDifference->a)].name
                                 : "";
  const std::string firstB = alignment.firstDifference && alignment.firstDifference->b >= 0
                                 ? commandsB[static_cast<std::size_t>(alignment.firstDifference->b)].name
                                 : "";
  EXPECT_EQ(firstA, c.firstA);
  EXPECT_EQ(firstB, c.firstB);
  // Every command of both jobs appears once, in order.
  std::int64_t nextA = 0;
  std::int64_t nextB = 0;
  for (const AlignedPair& pair : alignment.pairs) {
    if (pair.a >= 0) {
      EXPECT_EQ(pair.a, nextA++);
    }
    if (pair.b >= 0) {
      EXPECT_EQ(pair.b, nextB++);
    }
  }
  EXPECT_EQ(nextA, static_cast<std::int64_t>(commandsA.size()));
  EXPECT_EQ(nextB, static_cast<std::int64_t>(commandsB.size()));
}

const std::string kHead = "1b 40 1b 61 01 1b 32 ";
const std::string kFeed = " 1b 4a 18 ";

INSTANTIATE_TEST_SUITE_P(
    Pairs, CommandAlignmentTest,
    ::testing::Values(
        AlignmentCase{"Identical", kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "0f"),
                      kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "0f"), 6, 0, 0, 0, "", ""},
        AlignmentCase{"OneBandChanged", kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "0f"),
                      kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "f0"), 5, 1, 0, 0, "GS v 0", "GS v 0"},
        AlignmentCase{"BandInserted", kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "0f"),
                      kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "3c") + kFeed + Band(2, 2, "0f"), 6, 0, 0,
                      2, "", "GS v 0"},
        AlignmentCase{"BandRemoved",
                      kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "3c") + kFeed + Band(2, 2, "0f"),
                      kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "0f"), 6, 0, 2, 0, "GS v 0", ""},
        AlignmentCase{"FeedChanged", kHead + Band(2, 2, "ff") + kFeed + Band(2, 2, "0f"),
                      kHead + Band(2, 2, "ff") + " 1b 4a 30 " + Band(2, 2, "0f"), 5, 1, 0, 0, "ESC J",
                      "ESC J"},
        AlignmentCase{"NothingInCommon", "0a 0a", "1b 4a 01", 0, 0, 2, 1, "control", ""}),
    [](const ::testing::TestParamInfo<AlignmentCase>& info) { return std::string(info.param.name); });

// "1" a dot; each row a whole number of bytes.
DotPicture Picture(std::int64_t width, std::initializer_list<std::string_view> rows) {
  DotPicture picture;
  picture.width = width;
  for (const std::string_view row : rows) {
    std::uint8_t value = 0;
    int bit = 0;
    for (const char dot : row) {
      if (dot == ' ') continue;
      value = static_cast<std::uint8_t>(value << 1 | (dot == '1'));
      if (++bit == 8) {
        picture.rows.push_back(value);
        value = 0;
        bit = 0;
      }
    }
    ++picture.height;
  }
  return picture;
}

// The overlay as rows of '.', '#', 'A' and 'B'.
std::vector<std::string> OverlayRows(const PictureComparison& comparison) {
  std::vector<std::string> rows;
  for (std::int64_t y = 0; y < comparison.height; ++y) {
    std::string row;
    for (std::int64_t x = 0; x < comparison.width; ++x)
      row += ".#AB"[comparison.overlay[static_cast<std::size_t>(y * comparison.width + x)]];
    rows.push_back(row);
  }
  return rows;
}

TEST(PictureComparison, OverlayMarksDotsOfBothAndOfEach) {
  const DotPicture a = Picture(8, {"11110000", "00000000", "10000001"});
  const DotPicture b = Picture(8, {"11100000", "00000000", "10000001", "00011000"});
  const PictureComparison comparison = ComparePictures(a, b);
  EXPECT_EQ(OverlayRows(comparison),
            (std::vector<std::string>{"###A....", "........", "#......#", "...BB..."}));
  EXPECT_EQ(comparison.differingDots, 3);
  EXPECT_EQ(comparison.onlyInA, 1);
  EXPECT_EQ(comparison.onlyInB, 2);
  // Rows 0 and 3 differ, row 1 and 2 do not: two row bands.
  ASSERT_EQ(comparison.regions.size(), 2u);
  EXPECT_EQ((std::vector<std::int64_t>{comparison.regions[0].x, comparison.regions[0].y,
                                       comparison.regions[0].width, comparison.regions[0].height}),
            (std::vector<std::int64_t>{3, 0, 1, 1}));
  EXPECT_EQ((std::vector<std::int64_t>{comparison.regions[1].x, comparison.regions[1].y,
                                       comparison.regions[1].width, comparison.regions[1].height}),
            (std::vector<std::int64_t>{3, 3, 2, 1}));
}

TEST(PictureComparison, AdjacentDifferingRowsFormOneBoxedRegion) {
  const DotPicture a = Picture(16, {"10000000 00000000", "00000000 00000000", "00000000 00000000"});
  const DotPicture b = Picture(16, {"00000000 00000000", "00000000 00000010", "00000000 00000000"});
  const PictureComparison comparison = ComparePictures(a, b);
  ASSERT_EQ(comparison.regions.size(), 1u);
  EXPECT_EQ(comparison.regions[0].x, 0);
  EXPECT_EQ(comparison.regions[0].width, 15);
  EXPECT_EQ(comparison.regions[0].height, 2);
}

TEST(PictureComparison, IdenticalPicturesHaveNoRegions) {
  const DotPicture a = Picture(8, {"10101010", "01010101"});
  const PictureComparison comparison = ComparePictures(a, a);
  EXPECT_TRUE(comparison.Identical());
  EXPECT_TRUE(comparison.regions.empty());
}

// The same job as a raw dump, its capture text and its archive draws the same picture.
TEST(CompareJobs, InputKindsOfOneJobCompareIdentical) {
  const fs::path samples(TESK_SAMPLES_DIR);
  JobComparisonOptions options;
  options.writeOverlay = false;
  for (const char* other : {"receipt.txt", "receipt.zip"}) {
    const JobComparison comparison = CompareJobs(samples / "receipt.prn", samples / other, options);
    EXPECT_EQ(comparison.result, ComparisonResult::Identical) << other << ": " << comparison.message;
    EXPECT_EQ(comparison.commands.same, static_cast<std::int64_t>(comparison.commandsA.size())) << other;
    EXPECT_GT(comparison.pictures.height, 0) << other;
  }
}

// Nothing but the overlay appears beside the inputs, even for an archive.
TEST(CompareJobs, WritesOnlyTheOverlay) {
  testing::TempFolder folder;
  const fs::path samples(TESK_SAMPLES_DIR);
  fs::copy_file(samples / "receipt.zip", folder / "a.zip");
  Bytes changed = testing::ReadFile(samples / "receipt.prn");
  changed[500] ^= 0xFF;
  testing::WriteFile(folder / "b.prn", changed);
  const JobComparison comparison = CompareJobs(folder / "a.zip", folder / "b.prn", JobComparisonOptions{});
  EXPECT_EQ(comparison.result, ComparisonResult::Different);
  EXPECT_EQ(comparison.overlayPath, folder / "a.diff.png");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.diff.png", "a.zip", "b.prn"}));
}

TEST(CompareJobs, AFileWithoutAJobSaysWhich) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "a.prn", HexBytes("1b 40 1d 76 30 00 01 00 01 00 ff"));
  const JobComparison comparison =
      CompareJobs(folder / "a.prn", folder / "missing.prn", JobComparisonOptions{});
  EXPECT_EQ(comparison.result, ComparisonResult::CannotLoad);
  EXPECT_EQ(comparison.failedFile, 1);
}

}  // namespace
}  // namespace tesk::core
