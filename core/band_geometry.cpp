#include "core/band_geometry.h"

namespace tesk::core {

BandGeometry ComputeBandGeometry(std::int32_t mode, std::int32_t widthBytes, std::int32_t bandHeight,
                                 std::int64_t pureLength) {
  BandGeometry geometry;
  geometry.mode = mode;
  geometry.widthBytes = widthBytes;
  geometry.bandHeight = bandHeight;
  geometry.pureLength = pureLength;
  const std::int64_t bandBytes = std::int64_t{widthBytes} * bandHeight;
  // No band without width or height: nothing was gathered and nothing is divided.
  geometry.bandCount = bandBytes == 0 ? 0 : pureLength / bandBytes;
  geometry.bitmapWidth = std::int64_t{8} * widthBytes;
  geometry.bitmapHeight = geometry.bandCount * bandHeight;
  geometry.rowStride = (std::int64_t{widthBytes} + 3) / 4 * 4;
  geometry.paddedWidth = 8 * geometry.rowStride;
  geometry.pixelBytes = geometry.rowStride * geometry.bitmapHeight;
  return geometry;
}

}  // namespace tesk::core
