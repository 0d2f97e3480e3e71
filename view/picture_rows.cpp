#include "view/picture_rows.h"

#include <algorithm>

namespace tesk::view {

StoredRows RowsToDraw(int exposedTop, int exposedBottom, int positionY, int pictureHeight, bool bottomUp) {
  // Picture rows, top row 0, clipped to the picture.
  const std::int64_t top = std::max<std::int64_t>(std::int64_t{exposedTop} + positionY, 0);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{exposedBottom} + positionY, pictureHeight);
  if (top >= bottom) return {};
  const auto count = static_cast<int>(bottom - top);
  if (!bottomUp) return {static_cast<int>(top), count};
  return {static_cast<int>(pictureHeight - bottom), count};
}

std::int64_t DibRowStride(std::int64_t width) { return (width + 31) / 32 * 4; }

bool DibFitsBuffer(std::int64_t width, std::int64_t height, std::size_t bufferBytes) {
  if (width <= 0 || height <= 0) return false;
  // Both factors come from a 32-bit header, so the product fits in 64 bits.
  return DibRowStride(width) * height <= static_cast<std::int64_t>(bufferBytes);
}

}  // namespace tesk::view
