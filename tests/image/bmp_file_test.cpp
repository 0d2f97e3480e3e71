#include "image/bmp_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/little_endian.h"
#include "tests/image/picture_cases.h"
#include "tests/support/temp_folder.h"

namespace tesk::image {
namespace {

using platform::FileWriteResult;
using platform::ReadLe16;
using platform::ReadLe32;
using testing::Bytes;
using testing::HexBytes;
using testing::PictureCase;

TEST(BmpFile, HeaderAndPaddedRows) {
  const std::uint8_t pure[] = {0xFF, 0x00, 0x81, 0x01, 0x02, 0x03};  // widthBytes 3, two rows
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, pure, {3, 24, 2, 4, 8}, false));
  testing::TempFolder folder;
  const auto result = WriteBmpFile(image, folder / "x.bmp");
  ASSERT_EQ(result.status, FileWriteResult::Status::Written);
  EXPECT_EQ(result.length, 70u);
  const auto bytes = testing::ReadFile(folder / "x.bmp");
  ASSERT_EQ(bytes.size(), 70u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(ReadLe32(&bytes[2]), 70u);
  EXPECT_EQ(ReadLe32(&bytes[10]), 62u);
  EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(&bytes[22])), -2);
  EXPECT_EQ(Bytes(bytes.begin() + 62, bytes.end()), HexBytes("ff0081 00 010203 00"));
}

TEST(BmpFile, PictureWithoutRowsIsTheHeaderAlone) {
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, {}, {3, 24, 0, 4, 0}, false));
  testing::TempFolder folder;
  const auto result = WriteBmpFile(image, folder / "x.bmp");
  ASSERT_EQ(result.status, FileWriteResult::Status::Written);
  EXPECT_EQ(result.length, 62u);
  const auto bytes = testing::ReadFile(folder / "x.bmp");
  ASSERT_EQ(bytes.size(), 62u);
  EXPECT_EQ(ReadLe32(&bytes[2]), 62u);
  EXPECT_EQ(ReadLe32(&bytes[22]), 0u);
}

class BmpFileOfPicture : public ::testing::TestWithParam<std::tuple<PictureCase, bool>> {
 protected:
  void SetUp() override {
    const auto& [picture, bottomUp] = GetParam();
    pure = picture.PureData();
    ASSERT_TRUE(BuildDibImage(image, pure, picture.Geometry(), bottomUp));
    result = WriteBmpFile(image, path);
    ASSERT_EQ(result.status, FileWriteResult::Status::Written);
  }

  testing::TempFolder folder;
  std::filesystem::path path = folder / "picture.bmp";
  Bytes pure;
  DibImage image;
  FileWriteResult result;
};

TEST_P(BmpFileOfPicture, ReadsBackFieldByField) {
  const auto& [picture, bottomUp] = GetParam();
  const PictureGeometry geometry = picture.Geometry();
  const std::size_t widthBytes = static_cast<std::size_t>(picture.widthBytes);
  const std::size_t stride = static_cast<std::size_t>(geometry.rowStride);
  const std::size_t height = static_cast<std::size_t>(picture.Height());
  const Bytes bytes = testing::ReadFile(path);
  ASSERT_EQ(bytes.size(), stride * height + 62);
  EXPECT_EQ(result.length, bytes.size());

  // File header.
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(ReadLe32(&bytes[2]), bytes.size());
  EXPECT_EQ(ReadLe16(&bytes[6]), 0u);
  EXPECT_EQ(ReadLe16(&bytes[8]), 0u);
  EXPECT_EQ(ReadLe32(&bytes[10]), 62u);
  // BITMAPINFOHEADER.
  EXPECT_EQ(ReadLe32(&bytes[14]), 40u);
  EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(&bytes[18])), 8 * picture.widthBytes);
  EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(&bytes[22])), bottomUp ? picture.Height() : -picture.Height());
  EXPECT_EQ(ReadLe16(&bytes[26]), 1u);  // planes
  EXPECT_EQ(ReadLe16(&bytes[28]), 1u);  // bits per pixel
  for (std::size_t offset = 30; offset < 54; offset += 4) {
    SCOPED_TRACE(offset);  // compression, image size, resolutions, colour counts
    EXPECT_EQ(ReadLe32(&bytes[offset]), 0u);
  }
  // Palette: white, then black.
  EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.begin() + 62), HexBytes("ffffff00 00000000"));
  // Rows in file order; a bottom-up file stores the last printed row first.
  for (std::size_t row = 0; row < height; ++row) {
    SCOPED_TRACE(row);
    const std::size_t pureRow = bottomUp ? height - 1 - row : row;
    const auto start = bytes.begin() + static_cast<std::ptrdiff_t>(62 + row * stride);
    EXPECT_EQ(Bytes(start, start + static_cast<std::ptrdiff_t>(widthBytes)),
              Bytes(pure.begin() + static_cast<std::ptrdiff_t>(pureRow * widthBytes),
                    pure.begin() + static_cast<std::ptrdiff_t>((pureRow + 1) * widthBytes)));
    EXPECT_EQ(Bytes(start + static_cast<std::ptrdiff_t>(widthBytes),
                    start + static_cast<std::ptrdiff_t>(stride)),
              Bytes(stride - widthBytes, 0));
  }
}

TEST_P(BmpFileOfPicture, DecodesUprightToThePureDots) {
  const PictureCase& picture = std::get<0>(GetParam());
  const auto decoded = testing::DecodeWithPil({path});
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].width, 8 * picture.widthBytes);
  EXPECT_EQ(decoded[0].height, picture.Height());
  EXPECT_EQ(decoded[0].rows, picture.DotRows());
}

INSTANTIATE_TEST_SUITE_P(Pictures, BmpFileOfPicture,
                         ::testing::Combine(::testing::ValuesIn(testing::PictureCases()), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "BottomUp" : "TopDown");
                         });

}  // namespace
}  // namespace tesk::image
