#include "printer/module_placement.h"

#include <algorithm>
#include <cmath>

namespace tesk::printer {

namespace {

// No paper is wider than this, and no symbol of the command set taller; a
// size past them means a setting went wrong, not a symbol to draw.
constexpr std::uint32_t kMostDots = 1u << 15;

void SetDots(SymbolBitmap& bitmap, std::uint32_t x, std::uint32_t y, std::uint32_t width) {
  std::uint8_t* row = bitmap.rows.data() + std::size_t{y} * bitmap.Stride();
  for (std::uint32_t dot = x; dot < x + width; ++dot)
    row[dot / 8] |= static_cast<std::uint8_t>(0x80 >> (dot % 8));
}

void Paste(SymbolBitmap& target, const SymbolBitmap& source, std::uint32_t left, std::uint32_t top) {
  for (std::uint32_t y = 0; y < source.height; ++y)
    for (std::uint32_t x = 0; x < source.width; ++x)
      if (source.Dot(x, y)) SetDots(target, left + x, top + y, 1);
}

}  // namespace

SymbolBitmap DrawModules(const ModuleMatrix& modules, std::uint32_t moduleWidth,
                         std::span<const std::uint32_t> rowHeights) {
  SymbolBitmap bitmap;
  const std::uint64_t width = std::uint64_t{modules.columns} * moduleWidth;
  std::uint64_t height = 0;
  for (std::uint32_t dots : rowHeights) height += dots;
  if (rowHeights.size() != modules.rows || width == 0 || width > kMostDots || height == 0 ||
      height > kMostDots)
    return bitmap;
  bitmap.width = static_cast<std::uint32_t>(width);
  bitmap.height = static_cast<std::uint32_t>(height);
  bitmap.rows.assign(std::size_t{bitmap.Stride()} * bitmap.height, 0);
  std::uint32_t top = 0;
  for (std::uint32_t row = 0; row < modules.rows; ++row) {
    for (std::uint32_t column = 0; column < modules.columns; ++column) {
      if (!modules.Dark(column, row)) continue;
      for (std::uint32_t y = top; y < top + rowHeights[row]; ++y)
        SetDots(bitmap, column * moduleWidth, y, moduleWidth);
    }
    top += rowHeights[row];
  }
  return bitmap;
}

std::vector<std::uint32_t> UniformRowHeights(const ModuleMatrix& modules, std::uint32_t dots) {
  return std::vector<std::uint32_t>(modules.rows, dots);
}

std::vector<std::uint32_t> LibraryRowHeights(const ModuleMatrix& modules, std::uint32_t dotsPerUnit) {
  float stated = 0;
  std::uint32_t unstated = 0;
  for (float height : modules.rowHeights) {
    if (height > 0)
      stated += height;
    else
      ++unstated;
  }
  const float shared =
      unstated ? std::max(1.0f, (modules.height - stated) / static_cast<float>(unstated)) : 0.0f;
  std::vector<std::uint32_t> dots;
  for (float height : modules.rowHeights) {
    const float units = std::min(height > 0 ? height : shared, 1000.0f);
    dots.push_back(std::max<std::uint32_t>(1, static_cast<std::uint32_t>(
                                                  std::lround(units * static_cast<float>(dotsPerUnit)))));
  }
  return dots;
}

Symbol FrameWithHri(SymbolBitmap bars, std::string text, HriPosition position, std::uint8_t font,
                    HriCell cell) {
  Symbol symbol;
  symbol.hri.text = std::move(text);
  symbol.hri.font = font;
  const bool above = position == HriPosition::Above || position == HriPosition::Both;
  const bool below = position == HriPosition::Below || position == HriPosition::Both;
  if ((!above && !below) || symbol.hri.text.empty()) {
    symbol.bitmap = std::move(bars);
    return symbol;
  }
  const std::uint32_t textWidth =
      static_cast<std::uint32_t>(std::min<std::size_t>(symbol.hri.text.size() * cell.width, kMostDots));
  const std::uint32_t lineHeight = std::min<std::uint32_t>(cell.height, kMostDots);
  SymbolBitmap& box = symbol.bitmap;
  box.width = std::max(bars.width, textWidth);
  box.height = bars.height + lineHeight * (above ? 1 : 0) + lineHeight * (below ? 1 : 0);
  box.rows.assign(std::size_t{box.Stride()} * box.height, 0);
  const std::uint32_t barsTop = above ? lineHeight : 0;
  Paste(box, bars, (box.width - bars.width) / 2, barsTop);
  const HriRectangle line{static_cast<std::int32_t>((box.width - textWidth) / 2), 0, textWidth, lineHeight};
  if (above) symbol.hri.rectangles.push_back(line);
  if (below) {
    HriRectangle under = line;
    under.y = static_cast<std::int32_t>(barsTop + bars.height);
    symbol.hri.rectangles.push_back(under);
  }
  return symbol;
}

}  // namespace tesk::printer
