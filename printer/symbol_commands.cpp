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
  const StoredImage image{CopyRaster(bitmap.rows, bitmap.width, bitmap.Stride(), bitmap.height), 1, 1};
  PrintAtOnce(command, ItemKind::Symbol, image);
  // The human-readable line's place is left white; its characters come with the text drawing.
  if (!symbol.hri.rectangles.empty()) List(command, NotDrawnReason::HriTextNotDrawn, symbol.hri.text);
}

}  // namespace tesk::printer
