// The DIB, BMP and PNG stages as the run drives them.

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <tuple>

#include "core/conversion_run.h"
#include "platform/little_endian.h"
#include "platform/write_faults.h"
#include "tests/core/job_builder.h"
#include "tests/core/run_fixture.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::FixedLayoutJob;
using testing::TempFolder;
namespace fs = std::filesystem;

using PictureStages = RunFixture;

class PictureSizes : public PictureStages, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(PictureSizes, AreTheFilesLengths) {
  const auto [widthBytes, bottomUp] = GetParam();
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(widthBytes, 3, 2));
  RunOptions options;
  options.bottomUp = bottomUp;
  ASSERT_FALSE(Run(input, options).has_value());
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>((widthBytes + 3) / 4 * 4) * 6;
  EXPECT_EQ(figures.bmpFileSize, pixelBytes + 62);
  EXPECT_EQ(figures.bmpFileSize, fs::file_size(folder / "job.bmp"));
  EXPECT_EQ(figures.pngFileSize, fs::file_size(folder / "job.png"));
}

INSTANTIATE_TEST_SUITE_P(Widths, PictureSizes,
                         ::testing::Combine(::testing::Values(1, 3, 4, 5), ::testing::Bool()),
                         [](const auto& info) {
                           return "Width" + std::to_string(std::get<0>(info.param)) +
                                  (std::get<1>(info.param) ? "BottomUp" : "TopDown");
                         });

TEST_F(PictureStages, SizesAreReportedForFilesThatAreThenDeleted) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(3, 2, 2));
  RunOptions options;
  options.keepBitmap = false;
  options.keepPng = false;
  ASSERT_FALSE(Run(input, options).has_value());
  EXPECT_EQ(figures.bmpFileSize, 4u * 4 + 62);
  EXPECT_TRUE(figures.pngFileSize.has_value());
  EXPECT_GT(*figures.pngFileSize, 8u);
  EXPECT_FALSE(fs::exists(folder / "job.bmp"));
  EXPECT_FALSE(fs::exists(folder / "job.png"));
}

// Either picture file that cannot be created is skipped without a message;
// the other one is still written.
struct Uncreatable {
  const char* name;
  const char* picture;    // the file that cannot be created
  bool inputHasThatName;  // else a folder stands in its place
};

class UncreatablePicture : public PictureStages, public ::testing::WithParamInterface<Uncreatable> {};

TEST_P(UncreatablePicture, IsSkippedSilently) {
  const Uncreatable& param = GetParam();
  const fs::path blocked = folder / param.picture;
  const fs::path input = param.inputHasThatName ? blocked : folder / "job.prn";
  const Bytes job = FixedLayoutJob(2, 2, 1);
  testing::WriteFile(input, job);
  if (!param.inputHasThatName) fs::create_directory(blocked);
  RunOptions options;
  options.keepBitmap = false;  // the keep rules must not touch the blocked name either
  options.keepPng = false;

  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_TRUE(figures.imageReady);
  const bool bmpBlocked = std::string(param.picture) == "job.bmp";
  EXPECT_EQ(figures.bmpFileSize.has_value(), !bmpBlocked);
  EXPECT_EQ(figures.pngFileSize.has_value(), bmpBlocked);
  if (param.inputHasThatName)
    EXPECT_EQ(testing::ReadFile(input), job);
  else
    EXPECT_TRUE(fs::is_directory(blocked));
}

INSTANTIATE_TEST_SUITE_P(Pictures, UncreatablePicture,
                         ::testing::Values(Uncreatable{"BmpNamedLikeTheInput", "job.bmp", true},
                                           Uncreatable{"PngNamedLikeTheInput", "job.png", true},
                                           Uncreatable{"FolderInThePlaceOfTheBmp", "job.bmp", false},
                                           Uncreatable{"FolderInThePlaceOfThePng", "job.png", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PictureStages, PictureWithoutRowsHasNoPng) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, testing::HexBytes("1b40 aaaaaaaaaa 1d76300000000000 0102"));
  EXPECT_FALSE(Run(input).has_value());
  EXPECT_TRUE(figures.imageReady);
  EXPECT_EQ(figures.bmpFileSize, 62u);
  EXPECT_FALSE(figures.pngFileSize.has_value());
  EXPECT_FALSE(fs::exists(folder / "job.png"));
}

TEST_F(PictureStages, ShortPngWriteEndsTheRunAndKeepsTheFile) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(2, 2, 1));
  platform::FailWritesAfter("job.png", 20, ENOSPC);
  RunOptions options;
  options.keepPng = false;
  const auto message = Run(input, options);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::WriteFailed);
  EXPECT_NE(message->text.find((folder / "job.png").string()), std::string::npos);
  EXPECT_EQ(figures.bmpFileSize, 4u * 2 + 62);
  EXPECT_FALSE(figures.pngFileSize.has_value());
  EXPECT_EQ(fs::file_size(folder / "job.png"), 20u);  // nothing already written is deleted
}

// Rows of the picture as Python's imaging library decodes the file, "1" black.
std::vector<std::string> DecodedRows(const fs::path& file) {
  std::string output;
  const int status = testing::RunCommand(
      "/usr/bin/python3 '" TESK_SOURCE_DIR "/tests/image/decode_dots.py' '" + file.string() + "'", &output);
  EXPECT_EQ(status, 0) << output;
  std::istringstream lines(output);
  int width = 0;
  int height = 0;
  lines >> width >> height;
  std::vector<std::string> rows(static_cast<std::size_t>(height > 0 ? height : 0));
  for (std::string& row : rows) lines >> row;
  return rows;
}

std::vector<std::string> DotRowsOf(const Bytes& pure, std::size_t widthBytes) {
  std::vector<std::string> rows;
  for (std::size_t start = 0; start + widthBytes <= pure.size(); start += widthBytes) {
    std::string row;
    for (std::size_t index = 0; index < widthBytes; ++index)
      for (int bit = 7; bit >= 0; --bit) row.push_back((pure[start + index] >> bit) & 1 ? '1' : '0');
    rows.push_back(row);
  }
  return rows;
}

TEST_F(PictureStages, BothDirectionsShowTheSameUprightPicture) {
  const fs::path input = folder / "receipt.prn";
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", input);
  RunOptions options;
  options.keepPureData = true;
  ASSERT_FALSE(Run(input, options).has_value());
  const Bytes pure = testing::ReadFile(folder / "receipt.dat");
  const Bytes topDownBmp = testing::ReadFile(folder / "receipt.bmp");
  const Bytes topDownPng = testing::ReadFile(folder / "receipt.png");
  const auto widthBytes = static_cast<std::size_t>(*figures.widthBytes);
  const std::vector<std::string> dots = DotRowsOf(pure, widthBytes);
  ASSERT_EQ(dots.size(), static_cast<std::size_t>(*figures.bitmapHeight));
  EXPECT_EQ(DecodedRows(folder / "receipt.bmp"), dots);
  EXPECT_EQ(DecodedRows(folder / "receipt.png"), dots);

  options.bottomUp = true;
  ASSERT_FALSE(Run(input, options).has_value());
  const Bytes bottomUpBmp = testing::ReadFile(folder / "receipt.bmp");
  EXPECT_EQ(testing::ReadFile(folder / "receipt.png"), topDownPng);
  EXPECT_EQ(DecodedRows(folder / "receipt.bmp"), dots);

  // Same length, heights of opposite sign, rows in reverse order.
  ASSERT_EQ(bottomUpBmp.size(), topDownBmp.size());
  EXPECT_EQ(static_cast<std::int32_t>(platform::ReadLe32(&bottomUpBmp[22])),
            -static_cast<std::int32_t>(platform::ReadLe32(&topDownBmp[22])));
  const std::size_t stride = (widthBytes + 3) / 4 * 4;
  const std::size_t height = dots.size();
  for (std::size_t row = 0; row < height; ++row) {
    const auto top = topDownBmp.begin() + static_cast<std::ptrdiff_t>(62 + row * stride);
    const auto bottom = bottomUpBmp.begin() + static_cast<std::ptrdiff_t>(62 + (height - 1 - row) * stride);
    ASSERT_TRUE(std::equal(top, top + static_cast<std::ptrdiff_t>(stride), bottom)) << row;
  }
}

}  // namespace
}  // namespace tesk::core
