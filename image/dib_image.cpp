#include "image/dib_image.h"

#include <cstring>
#include <new>

#include "platform/little_endian.h"

namespace tesk::image {
namespace {
bool failNextAllocation = false;
}

void FailNextPixelAllocation() { failNextAllocation = true; }

void DibImage::SerializeInfo(std::uint8_t (&bytes)[kBitmapInfoBytes]) const {
  using platform::PutLe16;
  using platform::PutLe32;
  const BitmapInfoHeader& h = info.header;
  PutLe32(bytes + 0, h.biSize);
  PutLe32(bytes + 4, static_cast<std::uint32_t>(h.biWidth));
  PutLe32(bytes + 8, static_cast<std::uint32_t>(h.biHeight));
  PutLe16(bytes + 12, h.biPlanes);
  PutLe16(bytes + 14, h.biBitCount);
  PutLe32(bytes + 16, h.biCompression);
  PutLe32(bytes + 20, h.biSizeImage);
  PutLe32(bytes + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
  PutLe32(bytes + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
  PutLe32(bytes + 32, h.biClrUsed);
  PutLe32(bytes + 36, h.biClrImportant);
  for (int entry = 0; entry < 2; ++entry) {
    const RgbQuad& colour = info.palette[entry];
    bytes[40 + 4 * entry] = colour.blue;
    bytes[41 + 4 * entry] = colour.green;
    bytes[42 + 4 * entry] = colour.red;
    bytes[43 + 4 * entry] = colour.reserved;
  }
}

bool BuildDibImage(DibImage& image, std::span<const std::uint8_t> pureData, const PictureGeometry& geometry,
                   bool bottomUp) {
  image.info = BitmapInfo{};
  image.info.header.biWidth = static_cast<std::int32_t>(geometry.bitmapWidth);
  image.info.header.biHeight =
      static_cast<std::int32_t>(bottomUp ? geometry.bitmapHeight : -geometry.bitmapHeight);
  image.info.palette[0] = {0xFF, 0xFF, 0xFF, 0x00};
  image.info.palette[1] = {0x00, 0x00, 0x00, 0x00};

  image.pixels.reset();
  image.pixelBytes = 0;
  image.rowStride = geometry.rowStride;

  const auto pixelBytes = static_cast<std::size_t>(geometry.pixelBytes);
  if (failNextAllocation) {
    failNextAllocation = false;
    return false;
  }
  // One byte at least, so that an empty picture still has a buffer to point at.
  image.pixels.reset(new (std::nothrow) std::uint8_t[pixelBytes == 0 ? 1 : pixelBytes]());
  if (!image.pixels) return false;
  image.pixelBytes = pixelBytes;

  const auto widthBytes = static_cast<std::size_t>(geometry.widthBytes);
  const auto stride = static_cast<std::size_t>(geometry.rowStride);
  const auto height = static_cast<std::size_t>(geometry.bitmapHeight);
  for (std::size_t row = 0; row < height; ++row) {
    // A geometry whose rows do not fit the buffer is not ours to trust; the
    // rows that would not fit are left out rather than written past the end.
    if (row * stride + widthBytes > pixelBytes) break;
    const std::size_t pureRow = bottomUp ? height - 1 - row : row;
    // Rows the pure data do not hold (the run never gives fewer) stay white.
    if ((pureRow + 1) * widthBytes > pureData.size()) continue;
    std::memcpy(image.pixels.get() + row * stride, pureData.data() + pureRow * widthBytes, widthBytes);
  }
  return true;
}

}  // namespace tesk::image
