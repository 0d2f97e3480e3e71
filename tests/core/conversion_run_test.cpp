#include "core/conversion_run.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/picture_limits.h"
#include "platform/write_faults.h"
#include "tests/core/job_builder.h"
#include "tests/core/run_fixture.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::FixedLayoutJob;
using testing::TempFolder;
namespace fs = std::filesystem;

using ConversionRun = RunFixture;

TEST(OutputNames, BaseIsThePathWithoutItsExtension) {
  EXPECT_EQ(OutputPath(OutputBase("/jobs/log.txt"), "bin.zip"), fs::path("/jobs/logbin.zip"));
  EXPECT_EQ(OutputPath(OutputBase("/jobs/log.txt"), ".bin"), fs::path("/jobs/log.bin"));
  EXPECT_EQ(OutputBase("/data/v1.2/job"), fs::path("/data/v1.2/job"));
  EXPECT_EQ(OutputBase("/data/.hidden"), fs::path("/data/.hidden"));
  EXPECT_EQ(OutputBase("/data/a.b.prn"), fs::path("/data/a.b"));
}

TEST_F(ConversionRun, RawJobReportsEveryFigureAndKeepsTheChosenFiles) {
  const fs::path input = folder / "job.prn";
  const Bytes job = FixedLayoutJob(3, 2, 2);
  testing::WriteFile(input, job);

  EXPECT_FALSE(Run(input).has_value());
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
  EXPECT_EQ(figures.mode, 0);
  EXPECT_EQ(figures.widthBytes, 3);
  EXPECT_EQ(figures.bandHeight, 2);
  EXPECT_EQ(figures.bandCount, 2);
  EXPECT_EQ(figures.bitmapWidth, 24);
  EXPECT_EQ(figures.bitmapHeight, 4);
  EXPECT_EQ(figures.paddedWidth, 32);
  EXPECT_EQ(figures.bmpFileSize, 4u * 4 + 62);
  EXPECT_TRUE(figures.imageReady);
  EXPECT_EQ(figures.loadedPath, input);

  EXPECT_FALSE(fs::exists(folder / "job.bin"));    // raw input is its own plain binary
  ASSERT_TRUE(fs::exists(folder / "jobbin.zip"));  // and it is what the archive packs
  EXPECT_EQ(figures.zipFileSize, fs::file_size(folder / "jobbin.zip"));
  EXPECT_FALSE(fs::exists(folder / "job.dat"));  // written, then deleted: Pure Data is off
  EXPECT_TRUE(fs::exists(folder / "job.bmp"));
  EXPECT_EQ(testing::ReadFile(input), job);
}

TEST_F(ConversionRun, PureDataFileHoldsTheGatheredRows) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, testing::HexBytes("1b40 aaaaaaaaaa 1d76300002000300 010203040506 "
                                              "1b4a00 1d76300002000300 0708090a0b0c"));
  RunOptions options;
  options.keepPureData = true;
  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_EQ(testing::ReadFile(folder / "job.dat"), testing::HexBytes("010203040506 0708090a0b0c"));
  EXPECT_EQ(figures.bitmapHeight, 6);
}

TEST_F(ConversionRun, SizesAreReportedEvenWhenTheFilesAreDeleted) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(4, 3, 1));
  RunOptions options;
  options.keepBitmap = false;
  options.keepPng = false;
  options.keepPlainBinaryZip = false;
  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_EQ(figures.bmpFileSize, 4u * 3 + 62);
  EXPECT_TRUE(figures.zipFileSize.has_value());
  EXPECT_FALSE(fs::exists(folder / "job.bmp"));
  EXPECT_FALSE(fs::exists(folder / "jobbin.zip"));
  EXPECT_FALSE(fs::exists(folder / "job.png"));
}

TEST_F(ConversionRun, NeverDeletesAFileItDidNotWrite) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(1, 1, 1));
  testing::WriteFile(folder / "job.bin", std::string_view("left from an earlier run"));
  RunOptions options;
  options.keepPlainBinary = false;
  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_TRUE(fs::exists(folder / "job.bin"));
  EXPECT_TRUE(fs::exists(input));
}

// The loaded file is held: an output named like it is skipped, never replaced.
TEST_F(ConversionRun, OutputsNamedLikeTheRawInputAreSkipped) {
  for (const char* name : {"job.dat", "job.bmp", "job.png"}) {
    SCOPED_TRACE(name);
    const fs::path input = folder / name;
    const Bytes job = FixedLayoutJob(2, 2, 1);
    testing::WriteFile(input, job);
    RunOptions options;
    options.keepPureData = false;
    options.keepBitmap = false;
    options.keepPng = false;
    EXPECT_FALSE(Run(input, options).has_value());
    EXPECT_EQ(testing::ReadFile(input), job);
    if (std::string(name) == "job.bmp") {
      EXPECT_FALSE(figures.bmpFileSize.has_value());
    }
    fs::remove(input);
  }
}

TEST_F(ConversionRun, LoadFailuresReportNothing) {
  EXPECT_EQ(Run(folder / "missing.prn")->text, "数据文件加载失败!");
  EXPECT_FALSE(figures.dataLength.has_value());
  testing::WriteFile(folder / "empty.txt", Bytes{});
  EXPECT_EQ(Run(folder / "empty.txt")->text, "数据文件无效!");
  testing::WriteFile(folder / "p.txt", std::string_view("P"));
  EXPECT_EQ(Run(folder / "p.txt")->code, RunMessageCode::InvalidData);
  EXPECT_FALSE(figures.mode.has_value());
  EXPECT_FALSE(figures.imageReady);
  EXPECT_TRUE(figures.keptOutputs.empty());
}

TEST_F(ConversionRun, ModeOutsideTheBoxIsStillReported) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(1, 1, 1, 5));
  EXPECT_FALSE(Run(input).has_value());
  EXPECT_EQ(figures.mode, 5);
  EXPECT_EQ(figures.bandCount, 1);
}

TEST_F(ConversionRun, ZeroSizedBandGivesAnEmptyPicture) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, testing::HexBytes("1b40 aaaaaaaaaa 1d76300000000000 0102"));
  RunOptions options;
  options.keepPureData = true;
  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_EQ(figures.bandCount, 0);
  EXPECT_EQ(figures.bitmapHeight, 0);
  EXPECT_EQ(figures.bmpFileSize, 62u);
  EXPECT_EQ(testing::ReadFile(folder / "job.dat").size(), 0u);
}

TEST_F(ConversionRun, HeaderBeyondThePictureLimitIsInvalid) {
  SetPictureByteLimit(1000);
  const fs::path input = folder / "job.prn";
  // 100 x 20 bytes per band is more than the lowered limit allows.
  testing::WriteFile(input, FixedLayoutJob(100, 20, 1));
  const auto message = Run(input);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "数据文件无效!");
  EXPECT_EQ(figures.widthBytes, 100);
  EXPECT_EQ(figures.bandHeight, 20);
  EXPECT_FALSE(figures.bandCount.has_value());
  EXPECT_FALSE(fs::exists(folder / "job.dat"));
}

TEST_F(ConversionRun, NoMemoryForThePictureEndsTheRunAfterThePureData) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(2, 2, 1));
  RunOptions options;
  options.keepPureData = true;
  image::FailNextPixelAllocation();
  const auto message = Run(input, options);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::OutOfMemory);
  EXPECT_EQ(message->text, "申请内存失败!");
  EXPECT_FALSE(figures.imageReady);
  EXPECT_EQ(figures.bandCount, 1);
  EXPECT_TRUE(fs::exists(folder / "job.dat"));
  EXPECT_FALSE(fs::exists(folder / "job.bmp"));
  EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(ConversionRun, ShortWriteEndsTheRunNamingTheFile) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(2, 2, 1));
  platform::FailWritesAfter("job.bmp", 20, ENOSPC);
  const auto message = Run(input);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::WriteFailed);
  EXPECT_NE(message->text.find((folder / "job.bmp").string()), std::string::npos);
  EXPECT_NE(message->text.find("No space left on device"), std::string::npos);
  EXPECT_TRUE(figures.imageReady);
  EXPECT_FALSE(figures.bmpFileSize.has_value());
  EXPECT_FALSE(figures.pngFileSize.has_value());
  EXPECT_TRUE(fs::exists(folder / "job.bmp"));  // nothing already written is deleted
}

TEST_F(ConversionRun, FailedLoadLeavesThePreviousPicture) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(2, 2, 1));
  ASSERT_FALSE(Run(input).has_value());
  const std::uint8_t* pixels = image.pixels.get();
  EXPECT_TRUE(Run(folder / "missing.prn").has_value());
  EXPECT_EQ(image.pixels.get(), pixels);
}

}  // namespace
}  // namespace tesk::core
