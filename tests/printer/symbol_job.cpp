// Walks a print job's commands, draws every GS k and GS ( k print with the
// settings the job gave, and writes each symbol as a PBM, so a shell test can
// hand them to zbarimg. Prints one line per symbol: its number, the command's
// offset, and what was drawn or why not.
//   tesk_symbol_job JOB OUT_FOLDER

#include <cstdio>
#include <filesystem>
#include <string>

#include "commands/command_scanner.h"
#include "printer/barcode_symbol.h"
#include "printer/two_dimensional_symbol.h"
#include "tests/printer/symbol_scan.h"
#include "tests/support/temp_folder.h"

int main(int argc, char** argv) {
  using namespace tesk;
  if (argc != 3) {
    std::fprintf(stderr, "usage: tesk_symbol_job JOB OUT_FOLDER\n");
    return 2;
  }
  const testing::Bytes job = testing::ReadFile(argv[1]);
  const std::filesystem::path out = argv[2];
  printer::BarcodeSettings barcodes;
  printer::TwoDimensionalSymbols twoDimensional;
  int count = 0;
  commands::ScanCommands(job, [&](const commands::CommandRecord& record) {
    const std::span<const std::uint8_t> bytes = std::span(job).subspan(record.offset, record.length);
    const std::string name = commands::CommandName(record);
    printer::Symbol symbol;
    if (name == "ESC @") {
      barcodes = {};
      twoDimensional.Reset();
      return;
    }
    if (name == "GS k") {
      symbol = printer::DrawBarcode(bytes, barcodes);
    } else if (name == "GS (" && bytes.size() > 2 && bytes[2] == 'k') {
      printer::TwoDimensionalResult result = twoDimensional.Apply(bytes);
      if (result.action != printer::TwoDimensionalAction::Print) return;
      symbol = std::move(result.symbol);
    } else {
      printer::ApplyBarcodeSetting(barcodes, bytes);
      return;
    }
    ++count;
    std::printf("%d %llu %s: %s\n", count, static_cast<unsigned long long>(record.offset), symbol.symbology.c_str(),
                printer::SymbolStatusText(symbol.status));
    if (symbol.Drawn()) testing::WritePbm(out / ("symbol-" + std::to_string(count) + ".pbm"), symbol.bitmap, 80);
  });
  return 0;
}
