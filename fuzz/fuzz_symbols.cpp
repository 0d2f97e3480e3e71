// Barcodes and 2-D codes: every GS k and GS ( k of an arbitrary job drawn with
// the settings the job set before it. A drawn symbol must hold exactly its
// rows, and its HRI rectangles must lie inside it.

#include <cstdlib>

#include "commands/command_scanner.h"
#include "printer/barcode_symbol.h"
#include "printer/two_dimensional_symbol.h"

namespace {

void Check(const tesk::printer::Symbol& symbol) {
  const tesk::printer::SymbolBitmap& bitmap = symbol.bitmap;
  if (!symbol.Drawn()) {
    if (!bitmap.rows.empty()) std::abort();  // a refused symbol draws nothing
    return;
  }
  if (bitmap.width == 0 || bitmap.height == 0 ||
      bitmap.rows.size() != std::size_t{bitmap.Stride()} * bitmap.height)
    std::abort();
  for (const tesk::printer::HriRectangle& line : symbol.hri.rectangles)
    if (line.x < 0 || line.y < 0 || line.x + line.width > bitmap.width ||
        line.y + line.height > bitmap.height)
      std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  const std::span<const std::uint8_t> job(data, size);
  printer::BarcodeSettings barcodes;
  printer::TwoDimensionalSymbols twoDimensional;
  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    const std::span<const std::uint8_t> bytes = job.subspan(command.offset, command.length);
    if (bytes.size() < 3 || bytes[0] != 0x1D) return;
    if (bytes[1] == 'k') {
      Check(printer::DrawBarcode(bytes, barcodes));
    } else if (bytes[1] == '(' && bytes[2] == 'k') {
      const printer::TwoDimensionalResult result = twoDimensional.Apply(bytes);
      if (result.action == printer::TwoDimensionalAction::Print) Check(result.symbol);
    } else {
      printer::ApplyBarcodeSetting(barcodes, bytes);
    }
  });
  return 0;
}
