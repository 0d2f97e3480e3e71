#pragma once
// Everything the printer remembers between commands, in one plain record.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "printer/character_decoder.h"
#include "printer/dot_blocks.h"
#include "printer/paper.h"
#include "printer/profile.h"
#include "printer/symbol_settings.h"
#include "printer/two_dimensional_symbol.h"

namespace tesk::printer {

// An image held by the printer until a later command prints it.
struct StoredImage {
  DotBlock dots;
  int scaleX = 1;
  int scaleY = 1;
};

// Something waiting in the line buffer for LF, ESC J or ESC d.
struct PendingItem {
  std::uint64_t offset = 0;
  ItemKind kind = ItemKind::ColumnImage;
  std::int64_t x = 0;  // from the start of the print area
  std::int64_t clippedWidth = 0;
  StoredImage image;
  char32_t codePoint = 0;   // text
  bool onBaseline = false;  // text stands on the line's bottom; images hang from its top
};

enum class Justification : std::uint8_t { Left, Centre, Right };

struct PrinterState {
  // Settings that ESC @ restores.
  std::int64_t lineSpacing = 0;
  int horizontalMotionUnit = 0;
  int verticalMotionUnit = 0;
  std::int64_t leftMargin = 0;
  std::int64_t areaWidth = 0;
  Justification justification = Justification::Left;
  int font = 0;
  int widthMultiplier = 1;
  int heightMultiplier = 1;
  std::int64_t characterSpacing = 0;
  std::vector<std::int64_t> tabStops;     // in character columns
  bool emphasis = false;                  // ESC E, ESC ! bit 3
  bool doubleStrike = false;              // ESC G: printed like emphasis
  int underline = 0;                      // ESC -, ESC ! bit 7: dots
  bool reverse = false;                   // GS B
  bool upsideDown = false;                // ESC {
  bool clockwise = false;                 // ESC V
  CharacterSettings characters;           // ESC t, ESC R, FS & / FS .
  bool multibyteDoubleWidth = false;      // FS ! bit 2, FS W
  bool multibyteDoubleHeight = false;     // FS ! bit 3, FS W
  int multibyteUnderline = 0;             // FS -, FS ! bit 7
  std::int64_t multibyteLeftSpacing = 0;  // FS S, dots
  std::int64_t multibyteRightSpacing = 0;
  BarcodeSettings barcode;        // GS h, GS w, GS H, GS f
  TwoDimensionalSymbols symbols;  // GS ( k settings and stored data

  // The line being built.
  std::int64_t x = 0;  // from the start of the print area
  std::int64_t lineHeight = 0;
  std::vector<PendingItem> line;
  bool lastWasRaster = false;

  // Images held for later printing.
  std::optional<StoredImage> graphicsBuffer;              // GS ( L 112 / 113, printed by 50
  std::map<std::uint16_t, StoredImage> nvGraphics;        // by key code, printed by 69
  std::map<std::uint16_t, StoredImage> downloadGraphics;  // printed by 85
  std::vector<StoredImage> nvBitImages;                   // FS q, printed by FS p n (from 1)
  std::optional<StoredImage> downloadBitImage;            // GS *, printed by GS /

  // Where the paper is.
  int piece = 0;
  std::int64_t y = 0;
};

// The settings of a freshly initialised printer; the line buffer and the
// images held in RAM by GS * go, defined graphics stay.
void InitialiseSettings(PrinterState& state, const Profile& profile);

// Motion units to dots, rounded to the nearest dot.
std::int64_t HorizontalDots(const PrinterState& state, const Profile& profile, std::int64_t units);
std::int64_t VerticalDots(const PrinterState& state, const Profile& profile, std::int64_t units);

// The current single-byte font's cell.
const FontCell& CurrentFont(const PrinterState& state, const Profile& profile);
// The character cell of the current font and size.
std::int64_t CharacterAdvance(const PrinterState& state, const Profile& profile);
std::int64_t CharacterHeight(const PrinterState& state, const Profile& profile);

}  // namespace tesk::printer
