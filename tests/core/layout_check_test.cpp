// The fixed-layout check and the picture gathered from the commands, over jobs
// whose bands stand where real drivers put them.

#include "core/layout_check.h"

#include <gtest/gtest.h>

#include "core/command_layout.h"
#include "core/conversion_run.h"
#include "tests/support/temp_folder.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::HexBytes;

// "11110000 00001111" -> bytes, most significant bit first.
Bytes BitRows(std::string_view bits) {
  Bytes bytes;
  int count = 0;
  std::uint8_t value = 0;
  for (const char bit : bits) {
    if (bit != '0' && bit != '1') continue;
    value = static_cast<std::uint8_t>(value << 1 | (bit == '1'));
    if (++count == 8) {
      bytes.push_back(value);
      count = 0;
      value = 0;
    }
  }
  return bytes;
}

struct JobCase {
  const char* name;
  const char* job;
  const char* verdict;
  std::int32_t widthBytes, bandHeight;
  std::int64_t bandCount;
  const char* picture;  // rows of widthBytes x 8 bits, top row first
};

void PrintTo(const JobCase& job, std::ostream* out) { *out << job.name; }

const JobCase kJobs[] = {
    {"FixedLayout", "1b40 1b6101 1b32 1d76300001000200 f00f 1b4a00 1d76300001000200 3cc3",
     "fixed layout matches all 2 bands", 1, 2, 2, "11110000 00001111 00111100 11000011"},
    // The second band's header happens to stand at 10, so the fixed layout takes it alone.
    {"FirstBandAtZero", "1d76300001000200 f00f 1d76300001000200 3cc3",
     "the fixed layout takes 1 band, but the job holds 2 GS v 0 commands", 1, 2, 2,
     "11110000 00001111 00111100 11000011"},
    {"FirstBandAtTwo", "1b40 1d76300001000100 81 1d76300001000100 42",
     "band 1: no GS v 0 command at offset 10, where the fixed layout expects its header", 1, 1, 2,
     "10000001 01000010"},
    {"FirstBandAtEight", "1b40 1b6101 1b3318 1d76300001000100 ff 0a 1d76300001000100 18",
     "band 1: no GS v 0 command at offset 10, where the fixed layout expects its header", 1, 1, 2,
     "11111111 00011000"},
    {"BackToBackBands", "1b40 1b6101 1b32 1d76300001000100 aa 1d76300001000100 55",
     "the fixed layout takes 1 band, but the job holds 2 GS v 0 commands", 1, 1, 2, "10101010 01010101"},
    {"BackToBackLongerJob",
     "1b40 1b6101 1b32 1d76300001000100 aa 1d76300001000100 55 1d76300001000100 66 1b4a00 1b4a00",
     "band 2: no GS v 0 command at offset 19, where the fixed layout expects its header", 1, 1, 3,
     "10101010 01010101 01100110"},
    {"FeedsBetweenBands", "1b40 1b6101 1b32 1d76300001000100 aa 1b4a18 1d76300001000100 55",
     "fixed layout matches all 2 bands", 1, 1, 2, "10101010 01010101"},
    {"MixedBandSizes", "1b40 1b6101 1b32 1d76300002000100 ffff 1b4a00 1d76300001000200 8001",
     "band 2: GS v 0 at offset 20 is 1 bytes x 2 rows, not the first band's 2 x 1", 2, 1, 2,
     "11111111 11111111 10000000 00000000 00000001 00000000"},
    {"CutOffLastBand", "1b40 1b6101 1b32 1d76300001000200 f00f 1b4a00 1d76300001000200 3c",
     "band 2: the band is cut off by the end of the job", 1, 2, 2, "11110000 00001111 00111100 00000000"},
    {"DoubleWidthMode", "1b40 1b6101 1b32 1d76303101000100 0f", "fixed layout matches all 1 bands", 1, 1, 1,
     "00001111"},
};

class LayoutOfJobs : public ::testing::TestWithParam<JobCase> {};

TEST_P(LayoutOfJobs, VerdictAndCommandPicture) {
  const JobCase& expected = GetParam();
  const Bytes job = HexBytes(expected.job);
  EXPECT_EQ(CheckFixedLayout(job).verdict, expected.verdict);

  const CommandBandLayout layout = PlanCommandLayout(job);
  EXPECT_EQ(layout.widthBytes, expected.widthBytes);
  EXPECT_EQ(layout.bandHeight, expected.bandHeight);
  EXPECT_EQ(static_cast<std::int64_t>(layout.bands.size()), expected.bandCount);
  ByteBuffer pure;
  ASSERT_TRUE(GatherCommandBands(job, layout, pure));
  EXPECT_EQ(Bytes(pure.data(), pure.data() + pure.size()), BitRows(expected.picture));
}

INSTANTIATE_TEST_SUITE_P(Table, LayoutOfJobs, ::testing::ValuesIn(kJobs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLayoutRun, GathersTheCommandsOnlyWhenChosen) {
  testing::TempFolder folder;
  const auto input = folder / "job.prn";
  testing::WriteFile(input, HexBytes("1b40 1b6101 1b32 1d76300002000100 ffff 1b4a00 1d76300001000200 8001"));
  RasterSource source;
  image::DibImage image;
  RunOptions options;
  options.keepPureData = true;

  RunFigures fixed;
  ASSERT_FALSE(RunConversion(input, options, fixed, source, image).has_value());
  EXPECT_EQ(fixed.bandCount, 2);
  EXPECT_EQ(fixed.bitmapHeight, 2);

  options.layout = BandLayoutChoice::Commands;
  RunFigures commands;
  ASSERT_FALSE(RunConversion(input, options, commands, source, image).has_value());
  EXPECT_EQ(commands.widthBytes, 2);
  EXPECT_EQ(commands.bandHeight, 1);
  EXPECT_EQ(commands.bandCount, 2);
  EXPECT_EQ(commands.bitmapWidth, 16);
  EXPECT_EQ(commands.bitmapHeight, 3);
  EXPECT_EQ(commands.paddedWidth, 32);
  EXPECT_EQ(commands.bmpFileSize, 3u * 4 + 62);
  EXPECT_EQ(testing::ReadFile(folder / "job.dat"), HexBytes("ffff 8000 0100"));
}

}  // namespace
}  // namespace tesk::core
