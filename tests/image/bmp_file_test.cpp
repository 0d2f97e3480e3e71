#include "image/bmp_file.h"

#include <gtest/gtest.h>

#include "platform/little_endian.h"
#include "tests/support/temp_folder.h"

namespace tesk::image {
namespace {

TEST(BmpFile, HeaderAndPaddedRows) {
  const std::uint8_t pure[] = {0xFF, 0x00, 0x81, 0x01, 0x02, 0x03};  // widthBytes 3, two rows
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, pure, {3, 24, 2, 4, 8}, false));
  testing::TempFolder folder;
  const auto result = WriteBmpFile(image, folder / "x.bmp");
  ASSERT_EQ(result.status, platform::FileWriteResult::Status::Written);
  EXPECT_EQ(result.length, 70u);
  const auto bytes = testing::ReadFile(folder / "x.bmp");
  ASSERT_EQ(bytes.size(), 70u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(platform::ReadLe32(&bytes[2]), 70u);
  EXPECT_EQ(platform::ReadLe32(&bytes[10]), 62u);
  EXPECT_EQ(static_cast<std::int32_t>(platform::ReadLe32(&bytes[22])), -2);
  EXPECT_EQ(testing::Bytes(bytes.begin() + 62, bytes.end()),
            testing::HexBytes("ff0081 00 010203 00"));
}

}  // namespace
}  // namespace tesk::image
