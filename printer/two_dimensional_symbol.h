#pragma once
// GS ( k: the printer's 2-D code functions. Setting functions change the
// settings of one symbology, "store" keeps the data, "print" draws the stored
// data with the settings in force; the stored data stays for the next print.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "printer/symbol_bitmap.h"
#include "printer/symbol_settings.h"

namespace tesk::printer {

enum class TwoDimensionalAction : std::uint8_t {
  Setting,   // a setting changed
  Store,     // data stored
  Print,     // a symbol drawn (or not: see the symbol's status)
  Transmit,  // a size or status report to the host; nothing on paper
  Rejected,  // the command was ignored: see `status`
};

struct TwoDimensionalResult {
  TwoDimensionalAction action = TwoDimensionalAction::Rejected;
  SymbolStatus status = SymbolStatus::Drawn;
  Symbol symbol;  // Print only
};

class TwoDimensionalSymbols {
 public:
  // `command` is the whole GS ( k command, from its GS byte.
  TwoDimensionalResult Apply(std::span<const std::uint8_t> command);
  // ESC @: every setting back to its default, nothing stored.
  void Reset() { *this = TwoDimensionalSymbols(); }

  QrSettings qr;
  Pdf417Settings pdf417;
  MaxiCodeSettings maxiCode;
  DataBarSettings dataBar;
  CompositeSettings composite;
  AztecSettings aztec;
  DataMatrixSettings dataMatrix;
  std::uint32_t printAreaWidth = 0;  // dots; a wider symbol is not printed. 0: no limit

 private:
  // Stored data per symbology, indexed by cn - 48 (PDF417 .. DataMatrix).
  std::array<std::vector<std::uint8_t>, 7> stored_;
  std::uint8_t dataBarType_ = 0;  // fn 80's n for GS1 DataBar
  std::uint8_t compositeLinearType_ = 0;
  std::vector<std::uint8_t> compositeLinear_;

  TwoDimensionalResult Setting(std::uint8_t cn, std::uint8_t fn, std::span<const std::uint8_t> parameters);
  TwoDimensionalResult Store(std::uint8_t cn, std::span<const std::uint8_t> parameters);
  Symbol Print(std::uint8_t cn) const;
};

}  // namespace tesk::printer
