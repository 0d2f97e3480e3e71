// Bar codes (GS k) and 2-D codes (GS ( k) on the paper: the symbol module
// draws them at the printer's dots, the paper places them as a printer does,
// at once and justified by ESC a.

#include <algorithm>
#include <string>

#include "printer/barcode_symbol.h"
#include "printer/job_printer.h"

namespace tesk::printer {
namespace {

std::string RefusalDetail(const printer::Symbol& symbol) {
  std::string detail = symbol.symbology.empty() ? std::string() : symbol.symbology + ": ";
  detail += SymbolStatusText(symbol.status);
  if (!symbol.detail.empty()) detail += " (" + symbol.detail + ")";
  return detail;
}

// The bitmap turned half-way, for a symbol printed upside down.
SymbolBitmap TurnedHalfWay(const SymbolBitmap& bitmap) {
  SymbolBitmap turned;
  turned.width = bitmap.width;
  turned.height = bitmap.height;
  turned.rows.assign(bitmap.rows.size(), 0);
  for (std::uint32_t y = 0; y < bitmap.height; ++y)
    for (std::uint32_t x = 0; x < bitmap.width; ++x)
      if (bitmap.Dot(x, y)) {
        const std::uint32_t column = bitmap.width - 1 - x;
        turned.rows[std::size_t{bitmap.height - 1 - y} * turned.Stride() + column / 8] |=
            static_cast<std::uint8_t>(0x80 >> (column % 8));
      }
  return turned;
}

}  // namespace

void JobPrinter::BarcodeSetting(const Command& command) {
  // A value out of range leaves the setting as it was, as the printer does.
  ApplyBarcodeSetting(state_.barcode, job_.subspan(command.offset, command.length));
}

void JobPrinter::ExtendedFunction(const Command& command) {
  // GS ( carries its function letter before the length: k is a 2-D code.
  if (job_.size() > command.offset + 2 && job_[command.offset + 2] == 'k') {
    Symbol(command);
    return;
  }
  List(command, NotDrawnReason::NotModelled);
}

void JobPrinter::Symbol(const Command& command) {
  const auto bytes = job_.subspan(command.offset, command.length);
  printer::Symbol symbol;
  if (command.code == commands::CommandCode::Barcode) {
    state_.barcode.printAreaWidth = static_cast<std::uint32_t>(std::max<std::int64_t>(state_.areaWidth, 1));
    for (std::size_t font = 0; font < 2; ++font) {
      const FontCell& cell =
          profile_.fonts.empty() ? FontCell{} : profile_.fonts[std::min(font, profile_.fonts.size() - 1)];
      state_.barcode.hriCells[font] = {static_cast<std::uint32_t>(cell.width),
                                       static_cast<std::uint32_t>(cell.height)};
    }
    symbol = DrawBarcode(bytes, state_.barcode);
  } else {
    state_.symbols.printAreaWidth = static_cast<std::uint32_t>(std::max<std::int64_t>(state_.areaWidth, 1));
    TwoDimensionalResult result = state_.symbols.Apply(bytes);
    switch (result.action) {
      case TwoDimensionalAction::Setting:
      case TwoDimensionalAction::Store: return;
      case TwoDimensionalAction::Transmit: return List(command, NotDrawnReason::NotModelled);
      case TwoDimensionalAction::Rejected:
        return List(command, NotDrawnReason::BadParameters, SymbolStatusText(result.status));
      case TwoDimensionalAction::Print: symbol = std::move(result.symbol); break;
    }
  }
  const SymbolBitmap& bitmap = symbol.bitmap;
  if (!symbol.Drawn() || bitmap.width == 0 || bitmap.height == 0) {
    if (symbol.Drawn()) symbol.status = SymbolStatus::EncoderFailed;
    return List(command, NotDrawnReason::SymbolRefused, RefusalDetail(symbol));
  }
  if (!Affordable(static_cast<std::int64_t>(bitmap.rows.size()))) return;
  // Upside-down printing turns symbols too, and their readable line with them.
  const SymbolBitmap& shown = state_.upsideDown ? TurnedHalfWay(bitmap) : bitmap;
  const StoredImage image{CopyRaster(shown.rows, shown.width, shown.Stride(), shown.height), 1, 1};
  PrintReadableLine(command, symbol, PrintAtOnce(command, ItemKind::Symbol, image));
}

void JobPrinter::PrintReadableLine(const Command& command, const printer::Symbol& symbol, std::int64_t left) {
  const HumanReadableLine& line = symbol.hri;
  if (line.rectangles.empty()) return;
  // The line has its own font and none of the character modes: no size,
  // emphasis, underline, reverse or rotation, as printers print it.
  const FontCell& cell = profile_.fonts.empty()
                             ? FontCell{}
                             : profile_.fonts[std::min<std::size_t>(line.font, profile_.fonts.size() - 1)];
  CellStyle style;
  if (state_.upsideDown) style.turn = Turn::UpsideDown;
  const std::int64_t boxWidth = symbol.bitmap.width;
  const std::int64_t boxHeight = symbol.bitmap.height;
  const std::int64_t count = static_cast<std::int64_t>(line.text.size());
  bool noGlyph = false;
  for (const HriRectangle& rectangle : line.rectangles) {
    std::int64_t x = rectangle.x;
    std::int64_t y = rectangle.y;
    if (state_.upsideDown) {
      x = boxWidth - rectangle.x - rectangle.width;
      y = boxHeight - rectangle.y - rectangle.height;
    }
    for (std::int64_t index = 0; index < count && index * cell.width < rectangle.width; ++index) {
      const char32_t codePoint = static_cast<unsigned char>(line.text[static_cast<std::size_t>(index)]);
      bool missing = false;
      const DotBlock* dots = CachedCell(codePoint, GlyphFont::Latin, cell, style, missing);
      if (!dots) return;
      noGlyph = noGlyph || missing;
      const std::int64_t place = state_.upsideDown ? count - 1 - index : index;
      const std::int64_t cellX = left + x + place * cell.width;
      const std::int64_t visible = std::min<std::int64_t>(cell.width, AreaRight() - cellX);
      // PrintAtOnce has fed past the symbol: its top is the box's height back.
      if (visible > 0)
        Place(command.offset, ItemKind::Text, cellX, visible, {*dots, 1, 1}, y - boxHeight, codePoint);
    }
  }
  if (noGlyph) List(command, NotDrawnReason::HriTextNotDrawn, line.text);
}

}  // namespace tesk::printer
