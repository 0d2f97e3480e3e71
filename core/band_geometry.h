#pragma once

#include <cstdint>

namespace tesk::core {

// The figures of one job's picture.
struct BandGeometry {
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  std::int64_t pureLength = 0;
  std::int64_t bandCount = 0;
  std::int64_t bitmapWidth = 0;   // 8 x widthBytes
  std::int64_t bitmapHeight = 0;  // bandCount x bandHeight
  std::int64_t rowStride = 0;     // widthBytes rounded up to a multiple of 4
  std::int64_t paddedWidth = 0;   // 8 x rowStride
  std::int64_t pixelBytes = 0;    // rowStride x bitmapHeight
};

BandGeometry ComputeBandGeometry(std::int32_t mode, std::int32_t widthBytes, std::int32_t bandHeight,
                                 std::int64_t pureLength);

}  // namespace tesk::core
