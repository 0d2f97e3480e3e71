#pragma once
// Character shapes for the paper: each code point rendered once per cell size
// with FreeType into 1-bit dots, from the installed monospaced Latin font or
// the CJK font. The shapes are not a printer's; their cells and baselines are.

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace tesk::printer {

enum class GlyphFont : std::uint8_t {
  Latin,      // single-byte characters
  Ideograph,  // multibyte characters
};

// One dot a byte (1 black), `width` bytes a row, top row first.
struct Glyph {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dots;
};

class GlyphCache {
 public:
  GlyphCache();
  ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

  // `codePoint` drawn into a width x height cell, from `font` or, when it has
  // no such character, the other font; null when neither font has it or no
  // font is installed.
  const Glyph* Find(char32_t codePoint, GlyphFont font, int width, int height);

 private:
  struct Faces;
  std::unique_ptr<Faces> faces_;
  std::map<std::tuple<GlyphFont, char32_t, int, int>, std::unique_ptr<Glyph>> glyphs_;
};

}  // namespace tesk::printer
