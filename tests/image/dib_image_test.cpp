#include "image/dib_image.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace tesk::image {
namespace {

using testing::Bytes;
using testing::HexBytes;

Bytes InfoBytes(const DibImage& image) {
  std::uint8_t bytes[kBitmapInfoBytes];
  image.SerializeInfo(bytes);
  return Bytes(bytes, bytes + kBitmapInfoBytes);
}

struct InfoCase {
  const char* name;
  bool bottomUp;
  const char* info;
};

class DibInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(DibInfo, IsTheFortyEightBytesOfABitmapInfo) {
  const Bytes pure(3 * 7, 0x5A);
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, pure, {3, 24, 7, 4, 28}, GetParam().bottomUp));
  EXPECT_EQ(InfoBytes(image), HexBytes(GetParam().info));
}

INSTANTIATE_TEST_SUITE_P(
    Directions, DibInfo,
    ::testing::Values(
        // size, width 24, height -7 / +7, planes, bits, compression, image size,
        // resolutions, colours used and important; palette white, black.
        InfoCase{"TopDown", false,
                 "28000000 18000000 f9ffffff 0100 0100 00000000 00000000 00000000 00000000"
                 "00000000 00000000 ffffff00 00000000"},
        InfoCase{"BottomUp", true,
                 "28000000 18000000 07000000 0100 0100 00000000 00000000 00000000 00000000"
                 "00000000 00000000 ffffff00 00000000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DibImage, FailedAllocationLeavesNoBuffer) {
  const Bytes pure = {0x80, 0x01};
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, pure, {1, 8, 2, 4, 8}, false));
  ASSERT_NE(image.pixels, nullptr);

  FailNextPixelAllocation();
  EXPECT_FALSE(BuildDibImage(image, pure, {1, 8, 2, 4, 8}, false));
  // The previous picture's buffer is gone too; nothing may draw from it.
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.pixelBytes, 0u);

  ASSERT_TRUE(BuildDibImage(image, pure, {1, 8, 2, 4, 8}, true));
  EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + image.pixelBytes), HexBytes("01000000 80000000"));
}

TEST(DibImage, PictureWithoutRowsIsNoFailure) {
  DibImage image;
  EXPECT_TRUE(BuildDibImage(image, {}, {72, 576, 0, 72, 0}, true));
  EXPECT_EQ(image.pixelBytes, 0u);
  EXPECT_EQ(image.info.header.biHeight, 0);
  EXPECT_EQ(image.info.header.biWidth, 576);
}

// Rows the pure data do not reach stay white instead of being read from
// beyond the data.
TEST(DibImage, RowsMissingFromThePureDataStayWhite) {
  const Bytes pure = {0xC3, 0x3C, 0xFF};  // one whole row of widthBytes 2 and a stray byte
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, pure, {2, 16, 3, 4, 12}, false));
  EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + image.pixelBytes),
            HexBytes("c33c0000 00000000 00000000"));
}

}  // namespace
}  // namespace tesk::image
