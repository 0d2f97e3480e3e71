#pragma once
// A character cell as the printer prints it: the glyph enlarged, emboldened,
// underlined, reversed or turned, with the right spacing inside the cell.

#include <cstdint>
#include <string_view>

#include "printer/dot_blocks.h"
#include "printer/glyph_cache.h"
#include "printer/profile.h"

namespace tesk::printer {

// How the glyph stands in its cell. A quarter turn swaps the cell's width and
// height on the paper; CounterClockwise is a clockwise character on an
// upside-down line.
enum class Turn : std::uint8_t { None, UpsideDown, Clockwise, CounterClockwise };

struct CellStyle {
  int widthMultiplier = 1;   // 1 to 8, along the character's own width
  int heightMultiplier = 1;  // 1 to 8, along the character's own height
  int leftSpacing = 0;       // dots before the glyph, before enlarging
  int rightSpacing = 0;      // dots after the glyph, before enlarging
  bool bold = false;
  int underline = 0;  // dots: 0, 1 or 2
  bool reverse = false;
  Turn turn = Turn::None;
};

bool QuarterTurned(Turn turn);

// Dots a cell takes across and down the paper. A quarter-turned character
// is enlarged in its own directions, so double width makes it taller; the
// spacing stays across the paper, enlarged with what is across.
std::int64_t CellWidth(const FontCell& cell, const CellStyle& style);
std::int64_t CellHeight(const FontCell& cell, const CellStyle& style);

// The cell's dots; `glyph` may be null (no such character), leaving a blank
// cell that still takes its underline and reverse.
DotBlock DrawCell(const Glyph* glyph, const FontCell& cell, const CellStyle& style);

// The glyph a cell of `cell` shows for `codePoint` in `font`, rendered
// upright at the cell's size; DrawCell turns it.
const Glyph* CellGlyph(GlyphCache& glyphs, char32_t codePoint, GlyphFont font, const FontCell& cell,
                       const CellStyle& style);

// `text` in one font and style as a single block, cell after cell: the
// human-readable line under a bar code and other text outside the line
// buffer. Characters without a glyph leave blank cells.
DotBlock DrawString(GlyphCache& glyphs, std::u32string_view text, const FontCell& cell,
                    const CellStyle& style = {}, GlyphFont font = GlyphFont::Latin);

}  // namespace tesk::printer
