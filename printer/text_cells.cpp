#include "printer/text_cells.h"

#include <algorithm>
#include <vector>

namespace tesk::printer {
namespace {

// One byte a dot while the cell is built; packed to bits at the end.
struct Canvas {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint8_t> dots;

  Canvas(std::int64_t w, std::int64_t h) : width(w), height(h), dots(static_cast<std::size_t>(w * h), 0) {}
  std::uint8_t& At(std::int64_t x, std::int64_t y) { return dots[static_cast<std::size_t>(y * width + x)]; }
};

DotBlock Pack(const Canvas& canvas) {
  const std::int64_t stride = (canvas.width + 7) / 8;
  auto bytes =
      std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(stride * canvas.height), 0);
  for (std::int64_t y = 0; y < canvas.height; ++y)
    for (std::int64_t x = 0; x < canvas.width; ++x)
      if (canvas.dots[static_cast<std::size_t>(y * canvas.width + x)])
        (*bytes)[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  DotBlock block;
  block.rows = bytes->data();
  block.owner = std::move(bytes);
  block.stride = stride;
  block.width = canvas.width;
  block.height = canvas.height;
  return block;
}

// The glyph's dot at (x, y) of the turned glyph's box on the paper.
bool GlyphDot(const Glyph& glyph, const FontCell& cell, Turn turn, std::int64_t x, std::int64_t y) {
  std::int64_t gx = x;
  std::int64_t gy = y;
  switch (turn) {
    case Turn::None: break;
    case Turn::UpsideDown:
      gx = cell.width - 1 - x;
      gy = cell.height - 1 - y;
      break;
    case Turn::Clockwise:  // the glyph's top row becomes the right column
      gx = y;
      gy = cell.height - 1 - x;
      break;
    case Turn::CounterClockwise:  // the glyph's top row becomes the left column
      gx = cell.width - 1 - y;
      gy = x;
      break;
  }
  if (gx < 0 || gy < 0 || gx >= glyph.width || gy >= glyph.height) return false;
  return glyph.dots[static_cast<std::size_t>(gy * glyph.width + gx)] != 0;
}

// The glyph's box on the paper, before enlarging.
std::int64_t GlyphAcross(const FontCell& cell, Turn turn) {
  return QuarterTurned(turn) ? cell.height : cell.width;
}
std::int64_t GlyphDown(const FontCell& cell, Turn turn) {
  return QuarterTurned(turn) ? cell.width : cell.height;
}
int AcrossScale(const CellStyle& style) {
  return QuarterTurned(style.turn) ? style.heightMultiplier : style.widthMultiplier;
}
int DownScale(const CellStyle& style) {
  return QuarterTurned(style.turn) ? style.widthMultiplier : style.heightMultiplier;
}

}  // namespace

bool QuarterTurned(Turn turn) { return turn == Turn::Clockwise || turn == Turn::CounterClockwise; }

std::int64_t CellWidth(const FontCell& cell, const CellStyle& style) {
  return (style.leftSpacing + GlyphAcross(cell, style.turn) + style.rightSpacing) * AcrossScale(style);
}

std::int64_t CellHeight(const FontCell& cell, const CellStyle& style) {
  return GlyphDown(cell, style.turn) * DownScale(style);
}

const Glyph* CellGlyph(GlyphCache& glyphs, char32_t codePoint, GlyphFont font, const FontCell& cell,
                       const CellStyle&) {
  if (codePoint == U' ') return nullptr;  // nothing to draw, and nothing missing
  return glyphs.Find(codePoint, font, cell.width, cell.height);
}

DotBlock DrawCell(const Glyph* glyph, const FontCell& cell, const CellStyle& style) {
  const std::int64_t across = GlyphAcross(cell, style.turn);
  const std::int64_t down = GlyphDown(cell, style.turn);
  Canvas base(style.leftSpacing + across + style.rightSpacing, down);
  if (glyph) {
    for (std::int64_t y = 0; y < down; ++y)
      for (std::int64_t x = 0; x < across; ++x)
        if (GlyphDot(*glyph, cell, style.turn, x, y)) {
          base.At(style.leftSpacing + x, y) = 1;
          // Emphasis prints every dot twice, the second one dot to the right.
          if (style.bold && x + 1 < across) base.At(style.leftSpacing + x + 1, y) = 2;
        }
  }
  const int acrossScale = AcrossScale(style);
  const int downScale = DownScale(style);
  Canvas cellDots(CellWidth(cell, style), CellHeight(cell, style));
  for (std::int64_t y = 0; y < cellDots.height; ++y)
    for (std::int64_t x = 0; x < cellDots.width; ++x)
      cellDots.At(x, y) = base.At(x / acrossScale, y / downScale) ? 1 : 0;
  // The underline runs under the whole cell, spacing included, and keeps its
  // thickness at every size; upside down it is at the top. Printers leave it
  // off quarter-turned characters, and reverse printing overrides it.
  const bool underlined = !style.reverse && !QuarterTurned(style.turn);
  const std::int64_t thickness = underlined ? std::min<std::int64_t>(style.underline, cellDots.height) : 0;
  for (std::int64_t row = 0; row < thickness; ++row) {
    const std::int64_t y = style.turn == Turn::UpsideDown ? row : cellDots.height - 1 - row;
    for (std::int64_t x = 0; x < cellDots.width; ++x) cellDots.At(x, y) = 1;
  }
  if (style.reverse)
    for (std::uint8_t& dot : cellDots.dots) dot = dot ? 0 : 1;
  return Pack(cellDots);
}

DotBlock DrawString(GlyphCache& glyphs, std::u32string_view text, const FontCell& cell,
                    const CellStyle& style, GlyphFont font) {
  const std::int64_t width = CellWidth(cell, style);
  Canvas line(width * static_cast<std::int64_t>(text.size()), CellHeight(cell, style));
  for (std::size_t index = 0; index < text.size(); ++index) {
    const DotBlock block = DrawCell(CellGlyph(glyphs, text[index], font, cell, style), cell, style);
    for (std::int64_t y = 0; y < block.height; ++y)
      for (std::int64_t x = 0; x < block.width; ++x)
        if (block.rows[y * block.stride + x / 8] & (0x80 >> (x % 8)))
          line.At(static_cast<std::int64_t>(index) * width + x, y) = 1;
  }
  return Pack(line);
}

}  // namespace tesk::printer
