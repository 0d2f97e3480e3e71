#include <algorithm>

#include "printer/display_list.h"

namespace tesk::printer {

bool RasteriseDisplayList(const DisplayList& list, std::int64_t width, std::int64_t byteLimit,
                          std::vector<PaperPiece>& pieces) {
  pieces.clear();
  const std::int64_t widthBytes = (width + 7) / 8;
  if (widthBytes <= 0) return false;
  // Measured before anything is allocated: the heights come from the job.
  std::int64_t total = 0;
  for (const std::int64_t height : list.pieceHeights) {
    if (height < 0 || height > (byteLimit - total) / widthBytes) return false;
    total += height * widthBytes;
  }
  pieces.resize(list.pieceHeights.size());
  for (std::size_t index = 0; index < pieces.size(); ++index) {
    pieces[index].height = list.pieceHeights[index];
    pieces[index].rows.assign(static_cast<std::size_t>(pieces[index].height * widthBytes), 0);
  }
  std::vector<std::uint8_t> widened;
  for (std::size_t index = 0; index < list.items.size(); ++index) {
    const DrawnItem& item = list.items[index];
    const DrawOperation& operation = list.operations[index];
    if (item.piece < 0 || static_cast<std::size_t>(item.piece) >= pieces.size()) continue;
    PaperPiece& piece = pieces[static_cast<std::size_t>(item.piece)];
    const std::int64_t left = std::clamp<std::int64_t>(item.area.x, 0, width);
    const std::int64_t visible = std::min(item.area.width, width - left);
    const std::int64_t bottom = std::min(item.area.y + item.area.height, piece.height);
    if (visible <= 0 || operation.dots.Empty()) continue;
    std::int64_t sourceRow = -1;
    const std::uint8_t* dots = nullptr;
    for (std::int64_t y = std::max<std::int64_t>(item.area.y, 0); y < bottom; ++y) {
      const std::int64_t row = (y - item.area.y) / operation.scaleY;
      if (row >= operation.dots.height) break;
      if (row != sourceRow) {
        sourceRow = row;
        dots = operation.dots.rows + row * operation.dots.stride;
        if (operation.scaleX != 1) {
          WidenDots(dots, operation.dots.width, operation.scaleX, widened);
          dots = widened.data();
        }
      }
      const std::span<std::uint8_t> out(piece.rows.data() + y * widthBytes,
                                        static_cast<std::size_t>(widthBytes));
      OrDots(out, left, dots, std::min(visible, operation.dots.width * operation.scaleX));
    }
  }
  return true;
}

}  // namespace tesk::printer
