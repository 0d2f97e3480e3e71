#pragma once
// Page mode: what the printer composes in its page buffer before FF or ESC FF
// prints it. Commands place dots in the page's own frame, which ESC T turns a
// quarter at a time inside the print area ESC W sets; the page holds each item
// already turned, in page dots (x across the paper, y down from the page top),
// so printing it is a plain copy onto the paper.

#include <cstdint>
#include <vector>

#include "printer/dot_blocks.h"
#include "printer/paper.h"

namespace tesk::printer {

// Where the first character of a line starts and which way text runs.
enum class PageDirection : std::uint8_t {
  LeftToRight,  // from the top left corner
  BottomToTop,  // from the bottom left corner
  RightToLeft,  // from the bottom right corner: upside down
  TopToBottom,  // from the top right corner
};

// Something placed in the page, in page dots.
struct PageItem {
  std::uint64_t offset = 0;
  ItemKind kind = ItemKind::RasterImage;
  char32_t codePoint = 0;
  Rectangle area;
  DotBlock dots;         // exactly area.width x area.height, already turned
  bool printed = false;  // by an ESC FF that left it in the page
};

struct PageBuffer {
  bool active = false;  // between ESC L and FF / ESC S / ESC @
  Rectangle area;       // ESC W, in page dots
  PageDirection direction = PageDirection::LeftToRight;
  std::int64_t length = 0;  // dots the page takes on the paper: the lowest area used
  std::vector<PageItem> items;
  bool printed = false;  // ESC FF printed what the page holds now

  // The settings saved for standard mode while the page is composed.
  std::int64_t standardLeftMargin = 0;
  std::int64_t standardAreaWidth = 0;
  std::int64_t standardY = 0;
};

// True for the two directions whose lines run along the paper's feed.
inline bool RunsAlongFeed(PageDirection direction) {
  return direction == PageDirection::BottomToTop || direction == PageDirection::TopToBottom;
}

// The size of the area as the direction sees it: how long a line can be and
// how far lines can go.
std::int64_t LineLength(const Rectangle& area, PageDirection direction);
std::int64_t LinesDepth(const Rectangle& area, PageDirection direction);

// A rectangle of the direction's frame (x along the line from its start, y
// from the first line on) in page dots.
Rectangle ToPageDots(const Rectangle& inFrame, const Rectangle& area, PageDirection direction);

// `width` x `height` dots of `dots` enlarged by the scales, from (`left`,
// `top`) of the enlarged block, turned for the direction, as a block of its
// own.
DotBlock TurnForPage(const DotBlock& dots, int scaleX, int scaleY, std::int64_t left, std::int64_t top,
                     std::int64_t width, std::int64_t height, PageDirection direction);

// Clears what lies inside `area` from the items; those wholly inside go and
// are returned.
std::vector<PageItem> ClearPageArea(std::vector<PageItem>& items, const Rectangle& area);

}  // namespace tesk::printer
