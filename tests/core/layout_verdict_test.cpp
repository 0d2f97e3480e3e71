// The verdict every run gives on the fixed band layout, and the command
// reading's acceptance of jobs that do not begin with ESC @, over jobs shaped
// like those Windows receipt drivers write.

#include <gtest/gtest.h>

#include "core/layout_check.h"
#include "tests/core/run_fixture.h"
#include "tests/support/driver_job.h"
#include "tests/support/temp_folder.h"

namespace tesk::core {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::HexBytes;

using testing::DriverJob;

struct VerdictCase {
  const char* name;
  Bytes job;
  bool fits;
  LayoutMismatch mismatch;
  std::int64_t band;
  std::int64_t commandBands;
  const char* reason;
};

void PrintTo(const VerdictCase& verdict, std::ostream* out) { *out << verdict.name; }

const VerdictCase kVerdicts[] = {
    {"Fits", HexBytes("1b40 1b6101 1b32 1d76300001000200 f00f 1b4a00 1d76300001000200 3cc3"), true,
     LayoutMismatch::None, 0, 2, "fixed layout matches all 2 bands"},
    {"DriverFirstBandAtTen", DriverJob(10), false, LayoutMismatch::NoHeader, 2, 2,
     "band 2: no GS v 0 command at offset 69, where the fixed layout expects its header"},
    {"DriverFirstBandAtEight", DriverJob(8), false, LayoutMismatch::NoBandTaken, 0, 2,
     "the fixed layout takes no band, yet the job holds 2 GS v 0 commands"},
    {"OtherSize", HexBytes("1b40 1b6101 1b32 1d76300002000100 ffff 1b4a00 1d76300001000200 8001"), false,
     LayoutMismatch::OtherSize, 2, 2,
     "band 2: GS v 0 at offset 20 is 1 bytes x 2 rows, not the first band's 2 x 1"},
    {"CutOff", HexBytes("1b40 1b6101 1b32 1d76300001000200 f00f 1b4a00 1d76300001000200 3c"), false,
     LayoutMismatch::CutOff, 2, 2, "band 2: the band is cut off by the end of the job"},
    {"MoreCommandsThanBands", HexBytes("1b40 1b6101 1b32 1d76300001000100 aa 1d76300001000100 55"), false,
     LayoutMismatch::OtherBandCount, 0, 2,
     "the fixed layout takes 1 band, but the job holds 2 GS v 0 commands"},
    {"NoRasterCommand", HexBytes("1b40 1b4a18 0a"), false, LayoutMismatch::NoRasterCommand, 0, 0,
     "no GS v 0 command in the job; the fixed layout takes no band"},
};

class LayoutVerdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(LayoutVerdicts, NameTheFirstMismatchAsTheInspectorDoes) {
  const VerdictCase& expected = GetParam();
  const LayoutVerdict verdict = JudgeFixedLayout(expected.job);
  EXPECT_EQ(verdict.fits, expected.fits);
  EXPECT_EQ(verdict.mismatch, expected.mismatch);
  EXPECT_EQ(verdict.firstMismatch.band, expected.band);
  EXPECT_EQ(verdict.commandBands, expected.commandBands);
  EXPECT_EQ(verdict.reason, expected.reason);
  // The inspector walks every band; it must reach the same verdict.
  const LayoutCheck check = CheckFixedLayout(expected.job);
  EXPECT_EQ(check.verdict, verdict.reason);
  EXPECT_EQ(check.matches, verdict.fits);
}

INSTANTIATE_TEST_SUITE_P(Table, LayoutVerdicts, ::testing::ValuesIn(kVerdicts),
                         [](const auto& info) { return std::string(info.param.name); });

using VerdictRun = RunFixture;

TEST_F(VerdictRun, DefaultRunKeepsItsFiguresAndCarriesTheVerdict) {
  const fs::path input = folder / "driver.prn";
  const Bytes job = DriverJob(10);
  testing::WriteFile(input, job);
  ASSERT_FALSE(Run(input).has_value());
  // The fixed layout: header at 10, 2 x 24 bands 59 bytes apart from offset 18.
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
  EXPECT_EQ(figures.widthBytes, 2);
  EXPECT_EQ(figures.bandHeight, 24);
  EXPECT_EQ(figures.bandCount, (static_cast<std::int64_t>(job.size()) - 18 + 58) / 59);
  EXPECT_TRUE(figures.imageReady);
  ASSERT_TRUE(figures.layoutVerdict.has_value());
  EXPECT_FALSE(figures.layoutVerdict->fits);
  EXPECT_EQ(figures.layoutVerdict->firstMismatch.band, 2);

  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
  ASSERT_FALSE(Run(folder / "receipt.prn").has_value());
  ASSERT_TRUE(figures.layoutVerdict.has_value());
  EXPECT_TRUE(figures.layoutVerdict->fits);
  EXPECT_EQ(figures.layoutVerdict->commandBands, 20);

  EXPECT_TRUE(Run(folder / "missing.prn").has_value());
  EXPECT_FALSE(figures.layoutVerdict.has_value());
}

struct StreamCase {
  const char* name;
  const char* job;
  std::int64_t bandCount;
  std::int64_t bitmapHeight;
};

void PrintTo(const StreamCase& stream, std::ostream* out) { *out << stream.name; }

const StreamCase kStreams[] = {
    {"ModeCommandFirst", "1b2100 1b40 1d76300001000100 81 1b4a18 1d76300001000100 42", 2, 2},
    {"RasterBandAtZero", "1d76300001000200 f00f 1d76300001000200 3cc3", 2, 4},
    {"TextLineFirst", "5449544c45 0a 1b6101 1d76300001000100 ff 1d5600", 1, 1},
};

class CommandStreamRun : public RunFixture, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(CommandStreamRun, LoadsAsARawJobOnlyInTheCommandReading) {
  const fs::path input = folder / "job.prn";
  const Bytes job = HexBytes(GetParam().job);
  testing::WriteFile(input, job);
  const auto refused = Run(input);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->text, "数据文件无效!");

  for (const CaptureReading reading : {CaptureReading::Default, CaptureReading::Whole}) {
    RunOptions options;
    options.layout = BandLayoutChoice::Commands;
    options.captureReading = reading;
    options.keepPureData = true;
    ASSERT_FALSE(Run(input, options).has_value());
    EXPECT_EQ(source.kind, CaptureKind::RawJob);
    EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
    EXPECT_EQ(figures.bandCount, GetParam().bandCount);
    EXPECT_EQ(figures.bitmapHeight, GetParam().bitmapHeight);
    EXPECT_TRUE(figures.imageReady);
    EXPECT_FALSE(fs::exists(folder / "job.bin"));  // a raw job is its own plain binary
    EXPECT_EQ(fs::file_size(folder / "job.dat"), static_cast<std::uintmax_t>(GetParam().bitmapHeight));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CommandStreamRun, ::testing::ValuesIn(kStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VerdictRun, TextThatIsNoCommandStreamStaysInvalidInTheCommandReading) {
  const fs::path input = folder / "notes.txt";
  testing::WriteFile(input, std::string_view("Device  Length  Phase  Data\r\nnothing here\r\n"));
  RunOptions options;
  options.layout = BandLayoutChoice::Commands;
  const auto message = Run(input, options);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "数据文件无效!");
}

TEST_F(VerdictRun, CommandReadingWithoutRasterCommandsSaysSoAndKeepsThePicture) {
  const fs::path picture = folder / "picture.prn";
  testing::WriteFile(picture, HexBytes("1b40 1d76300001000100 ff"));
  RunOptions options;
  options.layout = BandLayoutChoice::Commands;
  ASSERT_FALSE(Run(picture, options).has_value());
  const std::uint8_t* shown = image.pixels.get();
  ASSERT_NE(shown, nullptr);

  const fs::path text = folder / "text.prn";
  testing::WriteFile(text, HexBytes("1b40 48656c6c6f 0a 1b6403 1d5600"));
  const auto message = Run(text, options);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::NoRasterCommand);
  EXPECT_EQ(message->text, "未找到GS v 0光栅位图命令!");
  EXPECT_EQ(figures.dataLength, 14);
  EXPECT_TRUE(figures.zipFileSize.has_value());
  EXPECT_FALSE(figures.widthBytes.has_value());
  EXPECT_FALSE(figures.imageReady);
  EXPECT_EQ(image.pixels.get(), shown);
  for (const char* suffix : {".dat", ".bmp", ".png"})
    EXPECT_FALSE(fs::exists(folder / (std::string("text") + suffix)));
}

}  // namespace
}  // namespace tesk::core
