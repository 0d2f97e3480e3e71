#pragma once
// The one door to the encoding library: a symbology, its options and the data
// go in; the symbol's module matrix (or the library's reason) comes out. Our
// code never encodes a symbol itself; it only places these modules on paper.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "printer/symbol_bitmap.h"

namespace tesk::printer {

struct ModuleMatrix {
  std::uint32_t columns = 0;
  std::uint32_t rows = 0;
  std::vector<std::uint8_t> cells;  // rows x columns, 1 for a dark module
  // Each row's height in module widths as the library lays it out; 0 for rows
  // that share what is left of `height`.
  std::vector<float> rowHeights;
  float height = 0;
  std::string text;  // the library's human-readable text

  bool Dark(std::uint32_t column, std::uint32_t row) const {
    return cells[std::size_t{row} * columns + column] != 0;
  }
};

enum class EncodeInput : std::uint8_t { Bytes, Gs1 };

struct EncodeRequest {
  int symbology = 0;  // the library's symbology number
  EncodeInput input = EncodeInput::Bytes;
  int option1 = -1;  // the library's symbol-specific options
  int option2 = 0;
  int option3 = 0;
  bool readerInitialise = false;
  std::string primary;  // MaxiCode and composite primary message
  std::span<const std::uint8_t> data;
};

struct EncodeResult {
  SymbolStatus status = SymbolStatus::Drawn;
  std::string detail;  // the library's message when it refused
  ModuleMatrix modules;
};

EncodeResult EncodeModules(const EncodeRequest& request);

// MaxiCode's modules are hexagons on an offset grid, so it comes from the
// library's own raster, resampled to `widthDots` x `heightDots`.
struct RasterResult {
  SymbolStatus status = SymbolStatus::Drawn;
  std::string detail;
  SymbolBitmap bitmap;
};
RasterResult RenderHexagonal(const EncodeRequest& request, std::uint32_t widthDots, std::uint32_t heightDots);

}  // namespace tesk::printer
