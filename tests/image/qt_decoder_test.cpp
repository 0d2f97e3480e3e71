// Our BMP (both row orders) and PNG files as Qt's own image readers see them.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <tuple>

#include "image/bmp_file.h"
#include "image/png_file.h"
#include "tests/image/picture_cases.h"
#include "tests/support/temp_folder.h"

namespace tesk::image {
namespace {

using testing::PictureCase;

std::vector<std::string> DotsOf(const QImage& picture) {
  std::vector<std::string> rows;
  for (int y = 0; y < picture.height(); ++y) {
    std::string row;
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb colour = picture.pixel(x, y) & 0xFFFFFF;
      row.push_back(colour == 0 ? '1' : colour == 0xFFFFFF ? '0' : '?');
    }
    rows.push_back(row);
  }
  return rows;
}

QImage Load(const std::filesystem::path& path) { return QImage(QString::fromStdString(path.string())); }

class QtDecodedPicture : public ::testing::TestWithParam<std::tuple<PictureCase, bool>> {};

TEST_P(QtDecodedPicture, ShowsThePureDotsUpright) {
  const auto& [picture, bottomUp] = GetParam();
  const auto pure = picture.PureData();
  testing::TempFolder folder;
  DibImage image;
  ASSERT_TRUE(BuildDibImage(image, pure, picture.Geometry(), bottomUp));
  ASSERT_EQ(WriteBmpFile(image, folder / "picture.bmp").status, platform::FileWriteResult::Status::Written);
  ASSERT_EQ(WritePngFile(pure, picture.Geometry(), folder / "picture.png").status,
            platform::FileWriteResult::Status::Written);

  for (const char* name : {"picture.bmp", "picture.png"}) {
    SCOPED_TRACE(name);
    const QImage decoded = Load(folder / name);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.width(), 8 * picture.widthBytes);
    EXPECT_EQ(DotsOf(decoded), picture.DotRows());
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, QtDecodedPicture,
                         ::testing::Combine(::testing::ValuesIn(testing::PictureCases()), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "BottomUp" : "TopDown");
                         });

}  // namespace
}  // namespace tesk::image
