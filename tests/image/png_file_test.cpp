#include "image/png_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "image/png_encoding.h"
#include "tests/image/picture_cases.h"
#include "tests/support/temp_folder.h"

namespace tesk::image {
namespace {

using platform::FileWriteResult;
using testing::Bytes;
using testing::PictureCase;
namespace fs = std::filesystem;

// PNG numbers are big-endian, unlike every other format the program writes.
std::uint32_t ReadBe32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
         static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

struct Chunk {
  std::string type;
  Bytes data;
};

// Splits the file after its signature into chunks, checking each CRC.
std::vector<Chunk> ReadChunks(const Bytes& file) {
  std::vector<Chunk> chunks;
  std::size_t offset = 8;
  while (offset + 12 <= file.size()) {
    const std::uint32_t length = ReadBe32(&file[offset]);
    if (offset + 12 + length > file.size()) break;
    Chunk chunk;
    chunk.type.assign(reinterpret_cast<const char*>(&file[offset + 4]), 4);
    chunk.data.assign(file.begin() + static_cast<std::ptrdiff_t>(offset + 8),
                      file.begin() + static_cast<std::ptrdiff_t>(offset + 8 + length));
    const uLong crc = ::crc32(0, &file[offset + 4], static_cast<uInt>(4 + length));
    EXPECT_EQ(ReadBe32(&file[offset + 8 + length]), crc) << chunk.type;
    chunks.push_back(std::move(chunk));
    offset += 12 + length;
  }
  EXPECT_EQ(offset, file.size()) << "bytes after the last whole chunk";
  return chunks;
}

Bytes Inflate(const Bytes& stream, std::size_t expectedSize) {
  Bytes out(expectedSize + 1);  // one spare byte shows a stream that is too long
  uLongf size = static_cast<uLongf>(out.size());
  const int status = ::uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size()));
  EXPECT_TRUE(status == Z_OK || status == Z_BUF_ERROR) << status;
  out.resize(size);
  return out;
}

class PngFileOfPicture : public ::testing::TestWithParam<PictureCase> {
 protected:
  void SetUp() override {
    pure = GetParam().PureData();
    result = WritePngFile(pure, GetParam().Geometry(), path);
    ASSERT_EQ(result.status, FileWriteResult::Status::Written);
  }

  testing::TempFolder folder;
  fs::path path = folder / "picture.png";
  Bytes pure;
  FileWriteResult result;
};

TEST_P(PngFileOfPicture, IsHeaderPaletteDataEndWithUnfilteredRows) {
  const PictureCase& picture = GetParam();
  const Bytes file = testing::ReadFile(path);
  EXPECT_EQ(result.length, file.size());
  EXPECT_EQ(result.path, path);
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), testing::HexBytes("89504e470d0a1a0a"));

  const std::vector<Chunk> chunks = ReadChunks(file);
  std::vector<std::string> types;
  for (const Chunk& chunk : chunks) types.push_back(chunk.type);
  ASSERT_EQ(types, (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));

  const Bytes& header = chunks[0].data;
  ASSERT_EQ(header.size(), 13u);
  EXPECT_EQ(ReadBe32(&header[0]), 8u * static_cast<std::uint32_t>(picture.widthBytes));
  EXPECT_EQ(ReadBe32(&header[4]), static_cast<std::uint32_t>(picture.Height()));
  // Bit depth 1, colour type 3 (palette), compression, filter method, no interlace.
  EXPECT_EQ(Bytes(header.begin() + 8, header.end()), testing::HexBytes("01 03 00 00 00"));
  EXPECT_EQ(chunks[1].data, testing::HexBytes("ffffff 000000"));
  EXPECT_TRUE(chunks[3].data.empty());

  const std::size_t widthBytes = static_cast<std::size_t>(picture.widthBytes);
  const std::size_t height = static_cast<std::size_t>(picture.Height());
  const Bytes filtered = Inflate(chunks[2].data, height * (1 + widthBytes));
  ASSERT_EQ(filtered.size(), height * (1 + widthBytes));
  for (std::size_t row = 0; row < height; ++row) {
    SCOPED_TRACE(row);
    const auto start = filtered.begin() + static_cast<std::ptrdiff_t>(row * (1 + widthBytes));
    EXPECT_EQ(*start, 0) << "filter type";
    EXPECT_EQ(Bytes(start + 1, start + 1 + static_cast<std::ptrdiff_t>(widthBytes)),
              Bytes(pure.begin() + static_cast<std::ptrdiff_t>(row * widthBytes),
                    pure.begin() + static_cast<std::ptrdiff_t>((row + 1) * widthBytes)));
  }
}

TEST_P(PngFileOfPicture, DecodesToThePureDots) {
  const auto decoded = testing::DecodeWithPil({path});
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].width, 8 * GetParam().widthBytes);
  EXPECT_EQ(decoded[0].height, GetParam().Height());
  EXPECT_EQ(decoded[0].rows, GetParam().DotRows());
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngFileOfPicture, ::testing::ValuesIn(testing::PictureCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// PNG has no picture without rows, so nothing is written for one.
TEST(PngFile, PictureWithoutRowsWritesNoFile) {
  testing::TempFolder folder;
  const auto result = WritePngFile({}, {3, 24, 0, 4, 0}, folder / "x.png");
  EXPECT_EQ(result.status, FileWriteResult::Status::NotCreated);
  EXPECT_FALSE(fs::exists(folder / "x.png"));
}

TEST(PngFile, FailedEncodingWritesNoFile) {
  testing::TempFolder folder;
  const Bytes pure = {0x80, 0x01};
  FailNextPngEncoding();
  const auto failed = WritePngFile(pure, {1, 8, 2, 4, 8}, folder / "x.png");
  EXPECT_EQ(failed.status, FileWriteResult::Status::NotCreated);
  EXPECT_FALSE(fs::exists(folder / "x.png"));
  // The failure was for one encoding only.
  EXPECT_EQ(WritePngFile(pure, {1, 8, 2, 4, 8}, folder / "x.png").status, FileWriteResult::Status::Written);
}

// The encoder takes no length; fewer bytes than the picture needs must be
// refused before it reads past them.
TEST(PngFile, PureDataShorterThanThePictureIsRefused) {
  const Bytes pure = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(EncodePngPicture(pure, {2, 16, 2, 4, 8}).error, kPngShortPureData);
  EXPECT_EQ(EncodePngPicture(pure, {0, 0, 3, 0, 0}).error, kPngNoPixels);
}

}  // namespace
}  // namespace tesk::image
