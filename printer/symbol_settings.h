#pragma once
// The printer's barcode and 2-D code settings, as GS h, GS w, GS H, GS f and
// the setting functions of GS ( k leave them. ESC @ restores these defaults.

#include <cstdint>
#include <span>

#include "printer/symbol_bitmap.h"

namespace tesk::printer {

struct BarcodeSettings {
  std::uint8_t height = 162;                    // GS h: bar height in dots
  std::uint8_t moduleWidth = 3;                 // GS w: narrow bar width in dots
  HriPosition hriPosition = HriPosition::None;  // GS H
  std::uint8_t hriFont = 0;                     // GS f: 0 font A, 1 font B
  HriCell hriCells[2] = {{12, 24}, {9, 17}};    // fonts A and B, as the printer's profile has them
  std::uint32_t printAreaWidth = 0;             // dots; a wider symbol is not printed. 0: no limit
};

// Applies GS h, GS w, GS H or GS f (the whole command, from its GS byte).
// Returns false for any other command; a value out of range leaves the
// setting as it was, as the printer ignores such a command.
bool ApplyBarcodeSetting(BarcodeSettings& settings, std::span<const std::uint8_t> command);

enum class QrModel : std::uint8_t { Model1, Model2, Micro };

struct QrSettings {
  QrModel model = QrModel::Model2;
  std::uint8_t moduleSize = 3;       // dots, 1..16
  std::uint8_t errorCorrection = 0;  // 0 L, 1 M, 2 Q, 3 H
};

struct Pdf417Settings {
  std::uint8_t columns = 0;      // data columns, 0: automatic
  std::uint8_t rows = 0;         // 0: automatic
  std::uint8_t moduleWidth = 3;  // dots
  std::uint8_t rowHeight = 3;    // in module widths
  bool errorByRatio = true;      // fn 69 m = 49: a tenth of the data codewords per step
  std::uint8_t errorLevel = 1;   // level 0..8, or the ratio 1..40 when errorByRatio
  bool truncated = false;        // fn 70
};

struct MaxiCodeSettings {
  std::uint8_t mode = 2;               // 2..6
  std::uint8_t dotsPerMillimetre = 8;  // the symbol has a fixed size on paper
};

struct DataBarSettings {
  std::uint8_t moduleWidth = 2;              // dots
  std::uint16_t expandedStackedWidth = 141;  // the widest row of Expanded Stacked, in dots
};

struct CompositeSettings {
  std::uint8_t moduleWidth = 2;
  std::uint16_t expandedStackedWidth = 141;
  std::uint8_t hriFont = 0;
};

struct AztecSettings {
  bool compact = false;
  std::uint8_t layers = 0;  // 0: automatic
  std::uint8_t moduleSize = 3;
  std::uint8_t errorCorrectionPercent = 23;
};

struct DataMatrixSettings {
  bool rectangular = false;
  std::uint8_t columns = 0;  // 0: automatic
  std::uint8_t rows = 0;
  std::uint8_t moduleSize = 3;
};

}  // namespace tesk::printer
