#pragma once
// Which part of a 1-bit DIB a paint has to touch. A receipt can be hundreds of
// thousands of rows tall; a paint reads only the rows that are exposed.

#include <cstddef>
#include <cstdint>

namespace tesk::view {

// A run of rows as they are stored in the DIB's buffer.
struct StoredRows {
  int first = 0;
  int count = 0;

  friend bool operator==(const StoredRows&, const StoredRows&) = default;
};

// The stored rows behind the client rows exposedTop (inclusive) to
// exposedBottom (exclusive), with picture row positionY at the top of the
// client area. Bottom-up DIBs store the picture's last row first.
StoredRows RowsToDraw(int exposedTop, int exposedBottom, int positionY, int pictureHeight, bool bottomUp);

// Bytes per stored row of a 1-bit DIB: whole 32-bit words.
std::int64_t DibRowStride(std::int64_t width);

// Whether a buffer of `bufferBytes` holds every row the header describes.
bool DibFitsBuffer(std::int64_t width, std::int64_t height, std::size_t bufferBytes);

}  // namespace tesk::view
