#pragma once
// What the printer put on the paper, in the order it did, ready to be drawn.
// Each entry pairs the public record (command offset, kind, rectangle) with
// the dots that fill the rectangle.

#include <cstdint>
#include <vector>

#include "printer/dot_blocks.h"
#include "printer/paper.h"

namespace tesk::printer {

struct DrawOperation {
  DotBlock dots;
  int scaleX = 1;  // paper dots per dot of the block
  int scaleY = 1;
};

// A display list entry costs about this much besides its dots.
inline constexpr std::int64_t kBytesPerListedItem = sizeof(DrawnItem) + sizeof(DrawOperation);

struct DisplayList {
  std::vector<DrawnItem> items;
  std::vector<DrawOperation> operations;  // one per item
  std::vector<std::int64_t> pieceHeights;
};

// Draws the list onto pieces of `width` dots. False, with no pieces, when
// they would take more than `byteLimit` bytes.
bool RasteriseDisplayList(const DisplayList& list, std::int64_t width, std::int64_t byteLimit,
                          std::vector<PaperPiece>& pieces);

}  // namespace tesk::printer
