#include "printer/page_mode.h"

#include <algorithm>
#include <memory>

namespace tesk::printer {
namespace {

bool Dot(const DotBlock& dots, std::int64_t x, std::int64_t y) {
  return (dots.rows[y * dots.stride + x / 8] & (0x80 >> (x % 8))) != 0;
}

void SetDot(std::vector<std::uint8_t>& rows, std::int64_t stride, std::int64_t x, std::int64_t y) {
  rows[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

DotBlock OwnedBlock(std::shared_ptr<std::vector<std::uint8_t>> rows, std::int64_t width,
                    std::int64_t height) {
  DotBlock block;
  block.rows = rows->data();
  block.owner = std::move(rows);
  block.stride = (width + 7) / 8;
  block.width = width;
  block.height = height;
  return block;
}

}  // namespace

std::int64_t LineLength(const Rectangle& area, PageDirection direction) {
  return RunsAlongFeed(direction) ? area.height : area.width;
}

std::int64_t LinesDepth(const Rectangle& area, PageDirection direction) {
  return RunsAlongFeed(direction) ? area.width : area.height;
}

Rectangle ToPageDots(const Rectangle& inFrame, const Rectangle& area, PageDirection direction) {
  const Rectangle& r = inFrame;
  switch (direction) {
    case PageDirection::LeftToRight: return {area.x + r.x, area.y + r.y, r.width, r.height};
    case PageDirection::RightToLeft:
      return {area.x + area.width - r.x - r.width, area.y + area.height - r.y - r.height, r.width, r.height};
    // Lines run up the paper, the first one at the left edge.
    case PageDirection::BottomToTop:
      return {area.x + r.y, area.y + area.height - r.x - r.width, r.height, r.width};
    // Lines run down the paper, the first one at the right edge.
    case PageDirection::TopToBottom:
      return {area.x + area.width - r.y - r.height, area.y + r.x, r.height, r.width};
  }
  return r;
}

DotBlock TurnForPage(const DotBlock& dots, int scaleX, int scaleY, std::int64_t left, std::int64_t top,
                     std::int64_t width, std::int64_t height, PageDirection direction) {
  const bool across = RunsAlongFeed(direction);
  const std::int64_t outWidth = across ? height : width;
  const std::int64_t outHeight = across ? width : height;
  const std::int64_t stride = (outWidth + 7) / 8;
  auto rows = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(stride * outHeight), 0);
  for (std::int64_t y = 0; y < height; ++y) {
    const std::int64_t sourceY = (top + y) / scaleY;
    if (sourceY >= dots.height) break;
    for (std::int64_t x = 0; x < width; ++x) {
      const std::int64_t sourceX = (left + x) / scaleX;
      if (sourceX >= dots.width || !Dot(dots, sourceX, sourceY)) continue;
      switch (direction) {
        case PageDirection::LeftToRight: SetDot(*rows, stride, x, y); break;
        case PageDirection::RightToLeft: SetDot(*rows, stride, width - 1 - x, height - 1 - y); break;
        // A quarter turn anticlockwise: the line's start at the bottom, the
        // tops of the characters to the left.
        case PageDirection::BottomToTop: SetDot(*rows, stride, y, width - 1 - x); break;
        // A quarter turn clockwise: the tops of the characters to the right.
        case PageDirection::TopToBottom: SetDot(*rows, stride, height - 1 - y, x); break;
      }
    }
  }
  return OwnedBlock(std::move(rows), outWidth, outHeight);
}

std::vector<PageItem> ClearPageArea(std::vector<PageItem>& items, const Rectangle& area) {
  std::vector<PageItem> kept;
  std::vector<PageItem> removed;
  for (PageItem& item : items) {
    const std::int64_t left = std::max(item.area.x, area.x);
    const std::int64_t right = std::min(item.area.x + item.area.width, area.x + area.width);
    const std::int64_t top = std::max(item.area.y, area.y);
    const std::int64_t bottom = std::min(item.area.y + item.area.height, area.y + area.height);
    if (left >= right || top >= bottom) {
      kept.push_back(std::move(item));
      continue;
    }
    if (left == item.area.x && top == item.area.y && right == item.area.x + item.area.width &&
        bottom == item.area.y + item.area.height) {
      removed.push_back(std::move(item));
      continue;
    }
    auto rows =
        std::make_shared<std::vector<std::uint8_t>>(item.dots.rows,
                                                    item.dots.rows + item.dots.stride * item.dots.height);
    for (std::int64_t y = top; y < bottom; ++y)
      for (std::int64_t x = left; x < right; ++x) {
        const std::int64_t dx = x - item.area.x;
        (*rows)[static_cast<std::size_t>((y - item.area.y) * item.dots.stride + dx / 8)] &=
            static_cast<std::uint8_t>(~(0x80 >> (dx % 8)));
      }
    item.dots = OwnedBlock(std::move(rows), item.dots.width, item.dots.height);
    kept.push_back(std::move(item));
  }
  items = std::move(kept);
  return removed;
}

}  // namespace tesk::printer
