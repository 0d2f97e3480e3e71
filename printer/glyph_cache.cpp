#include "printer/glyph_cache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <string>

#include "platform/font_files.h"

namespace tesk::printer {
namespace {

// A job of a million distinct characters must not hold a million glyphs;
// past this the cache starts over.
constexpr std::size_t kMostCachedGlyphs = 20000;
// Cells are small; anything larger comes from a corrupt profile.
constexpr int kLargestCell = 512;

// CJK fonts draw ideographs in the em square with the baseline at 88 % of it.
constexpr int kIdeographAscentPerMille = 880;

struct Face {
  bool tried = false;
  FT_Face face = nullptr;
};

// The simplified Chinese face of a collection, since GB18030 is what most
// multibyte jobs carry; the first face otherwise.
FT_Face OpenFace(FT_Library library, const std::string& path) {
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0) return nullptr;
  const FT_Long count = face->num_faces;
  for (FT_Long index = 1; index < count; ++index) {
    if (face->family_name && std::string(face->family_name).find(" SC") != std::string::npos) return face;
    FT_Face next = nullptr;
    if (FT_New_Face(library, path.c_str(), index, &next) != 0) break;
    FT_Done_Face(face);
    face = next;
  }
  if (face->family_name && std::string(face->family_name).find(" SC") != std::string::npos) return face;
  FT_Done_Face(face);
  return FT_New_Face(library, path.c_str(), 0, &face) == 0 ? face : nullptr;
}

}  // namespace

struct GlyphCache::Faces {
  FT_Library library = nullptr;
  Face latin;
  Face ideograph;

  Faces() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~Faces() {
    for (Face* face : {&latin, &ideograph})
      if (face->face) FT_Done_Face(face->face);
    if (library) FT_Done_FreeType(library);
  }

  FT_Face Get(GlyphFont font) {
    Face& face = font == GlyphFont::Latin ? latin : ideograph;
    if (!face.tried && library) {
      face.tried = true;
      const auto path = platform::FindFontFile(font == GlyphFont::Latin ? platform::FontRole::Latin
                                                                        : platform::FontRole::Ideograph);
      if (!path.empty()) face.face = OpenFace(library, path.string());
    }
    return face.face;
  }
};

namespace {

// Renders `codePoint` centred in the cell, on the font's baseline scaled to
// the cell; false when the face has no such character.
bool Render(FT_Face face, GlyphFont font, char32_t codePoint, Glyph& glyph) {
  const FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0) return false;
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) return false;
  const long units = face->units_per_EM > 0 ? face->units_per_EM : 1000;
  const long advance = std::max<long>(face->glyph->metrics.horiAdvance, 1);
  const bool latin = font == GlyphFont::Latin;
  const long ascent = latin ? face->ascender : units * kIdeographAscentPerMille / 1000;
  const long height = latin ? std::max<long>(face->ascender - face->descender, 1) : units;
  // One em size for both axes, the largest whose advance and line fit the cell.
  const long em = std::max<long>(std::min(glyph.width * units / advance, glyph.height * units / height), 1);
  if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(em), static_cast<FT_UInt>(em)) != 0) return false;
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
    return false;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return true;  // a blank glyph such as the space
  const long advancePixels = advance * em / units;
  const long left = (glyph.width - advancePixels) / 2 + slot->bitmap_left;
  const long baseline = (glyph.height - height * em / units) / 2 + ascent * em / units;
  const long top = baseline - slot->bitmap_top;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const long y = top + static_cast<long>(row);
    if (y < 0 || y >= glyph.height) continue;
    const unsigned char* bits = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
    for (unsigned column = 0; column < bitmap.width; ++column) {
      const long x = left + static_cast<long>(column);
      if (x < 0 || x >= glyph.width || !(bits[column / 8] & (0x80 >> (column % 8)))) continue;
      glyph.dots[static_cast<std::size_t>(y * glyph.width + x)] = 1;
    }
  }
  return true;
}

}  // namespace

GlyphCache::GlyphCache() : faces_(std::make_unique<Faces>()) {}
GlyphCache::~GlyphCache() = default;

const Glyph* GlyphCache::Find(char32_t codePoint, GlyphFont font, int width, int height) {
  if (width <= 0 || height <= 0 || width > kLargestCell || height > kLargestCell) return nullptr;
  const auto key = std::make_tuple(font, codePoint, width, height);
  if (const auto found = glyphs_.find(key); found != glyphs_.end()) return found->second.get();
  if (glyphs_.size() >= kMostCachedGlyphs) glyphs_.clear();
  std::unique_ptr<Glyph> glyph;
  const GlyphFont other = font == GlyphFont::Latin ? GlyphFont::Ideograph : GlyphFont::Latin;
  for (const GlyphFont tried : {font, other}) {
    FT_Face face = faces_->Get(tried);
    if (!face) continue;
    auto drawn = std::make_unique<Glyph>();
    drawn->width = width;
    drawn->height = height;
    drawn->dots.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    if (Render(face, tried, codePoint, *drawn)) {
      glyph = std::move(drawn);
      break;
    }
  }
  const Glyph* result = glyph.get();
  glyphs_.emplace(key, std::move(glyph));
  return result;
}

}  // namespace tesk::printer
