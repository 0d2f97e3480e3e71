#pragma once
// What GS k's data means for each bar code system: the checks the printer
// makes before it prints, and the request to the encoding library.

#include <cstdint>
#include <span>
#include <string>

#include "printer/symbol_bitmap.h"
#include "printer/zint_modules.h"

namespace tesk::printer {

struct BarcodeRequest {
  SymbolStatus status = SymbolStatus::Drawn;  // anything else: the printer prints nothing
  std::string symbology;                      // "EAN-13", "CODE128", ...
  int librarySymbology = 0;
  EncodeInput input = EncodeInput::Bytes;
  bool readerInitialise = false;  // FNC3 first in CODE128
  std::string data;               // as the library reads it
};

// `system` is GS k's m: 0..6 for the NUL-terminated form, 65..79 for the counted one.
BarcodeRequest PrepareBarcode(std::uint8_t system, std::span<const std::uint8_t> data);

// The name of a bar code system number, "" for an undefined one.
const char* BarcodeSystemName(std::uint8_t system);

}  // namespace tesk::printer
