#pragma once
// The process's one 1-bit device-independent bitmap: shared by the BMP file and
// the picture view, which draws straight from its buffer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace tesk::image {

struct BitmapInfoHeader {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;  // negative: top-down rows; positive: bottom-up
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 1;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};

struct RgbQuad {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
};

struct BitmapInfo {
  BitmapInfoHeader header;
  RgbQuad palette[2];  // white, then black
};

inline constexpr std::size_t kBitmapInfoBytes = 48;

// The picture's geometry as the run derived it from the band header.
struct PictureGeometry {
  std::int64_t widthBytes = 0;
  std::int64_t bitmapWidth = 0;
  std::int64_t bitmapHeight = 0;
  std::int64_t rowStride = 0;
  std::int64_t pixelBytes = 0;
};

struct DibImage {
  BitmapInfo info;
  std::unique_ptr<std::uint8_t[]> pixels;  // none before the first build or after a failed one
  std::size_t pixelBytes = 0;
  std::int64_t rowStride = 0;

  // The 48 bytes of BITMAPINFO as they stand in a BMP file.
  void SerializeInfo(std::uint8_t (&bytes)[kBitmapInfoBytes]) const;
};

// Fills `image` from the pure dot data (bitmapHeight rows of widthBytes bytes,
// top row first) in the chosen row order. False when the pixel buffer cannot be
// allocated; the previous buffer is released either way.
bool BuildDibImage(DibImage& image, std::span<const std::uint8_t> pureData, const PictureGeometry& geometry,
                   bool bottomUp);

// Test hook: the next pixel-buffer allocation fails as if memory had run out.
void FailNextPixelAllocation();

}  // namespace tesk::image
