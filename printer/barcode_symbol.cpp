#include "printer/barcode_symbol.h"

#include <algorithm>

#include "printer/barcode_data.h"
#include "printer/module_placement.h"
#include "printer/zint_modules.h"

namespace tesk::printer {

namespace {

constexpr std::uint8_t kGs = 0x1D;

Symbol NotDrawn(std::string symbology, SymbolStatus status, std::string detail = {}) {
  Symbol symbol;
  symbol.status = status;
  symbol.symbology = std::move(symbology);
  symbol.detail = std::move(detail);
  return symbol;
}

// The data bytes of either form; false when the command is cut short.
bool BarcodeData(std::span<const std::uint8_t> command, std::span<const std::uint8_t>& data) {
  if (command.size() < 3 || command[0] != kGs || command[1] != 'k') return false;
  const std::uint8_t system = command[2];
  // Like the command scanner, every m below 65 is read up to a NUL, defined or not.
  if (system < 65) {
    const auto end = std::find(command.begin() + 3, command.end(), std::uint8_t{0});
    if (end == command.end()) return false;  // no NUL: the job ended inside the command
    data = command.subspan(3, static_cast<std::size_t>(end - (command.begin() + 3)));
    return true;
  }
  if (command.size() < 4 || command.size() - 4 < command[3]) return false;
  data = command.subspan(4, command[3]);
  return true;
}

}  // namespace

bool ApplyBarcodeSetting(BarcodeSettings& settings, std::span<const std::uint8_t> command) {
  if (command.size() < 3 || command[0] != kGs) return false;
  const std::uint8_t value = command[2];
  switch (command[1]) {
    case 'h':
      if (value >= 1) settings.height = value;
      return true;
    case 'w':
      if (value >= 1 && value <= 6) settings.moduleWidth = value;
      return true;
    case 'H':
      if (value <= 3 || (value >= 48 && value <= 51))
        settings.hriPosition = static_cast<HriPosition>(value & 3);
      return true;
    case 'f':
      if (value <= 1 || value == 48 || value == 49) settings.hriFont = value & 1;
      return true;
  }
  return false;
}

Symbol DrawBarcode(std::span<const std::uint8_t> command, const BarcodeSettings& settings) {
  std::span<const std::uint8_t> data;
  if (!BarcodeData(command, data)) return NotDrawn("", SymbolStatus::BadLength, "the command is cut short");
  const BarcodeRequest request = PrepareBarcode(command[2], data);
  if (request.status != SymbolStatus::Drawn) return NotDrawn(request.symbology, request.status);

  EncodeRequest encode;
  encode.symbology = request.librarySymbology;
  encode.input = request.input;
  encode.readerInitialise = request.readerInitialise;
  encode.data = std::span(reinterpret_cast<const std::uint8_t*>(request.data.data()), request.data.size());
  const EncodeResult encoded = EncodeModules(encode);
  if (encoded.status != SymbolStatus::Drawn)
    return NotDrawn(request.symbology, encoded.status, encoded.detail);

  SymbolBitmap bars =
      DrawModules(encoded.modules, settings.moduleWidth, UniformRowHeights(encoded.modules, settings.height));
  if (bars.width == 0) return NotDrawn(request.symbology, SymbolStatus::TooWide);
  if (settings.printAreaWidth && bars.width > settings.printAreaWidth)
    return NotDrawn(request.symbology, SymbolStatus::TooWide);
  Symbol symbol = FrameWithHri(std::move(bars), encoded.modules.text, settings.hriPosition, settings.hriFont,
                               settings.hriCells[settings.hriFont & 1]);
  symbol.symbology = request.symbology;
  return symbol;
}

}  // namespace tesk::printer
