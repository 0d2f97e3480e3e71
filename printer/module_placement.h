#pragma once
// Places an encoded symbol's modules on the paper's dot grid: every module a
// whole number of dots, so a module width or row height sent by the host is
// exactly what lands on the paper.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "printer/symbol_bitmap.h"
#include "printer/symbol_settings.h"
#include "printer/zint_modules.h"

namespace tesk::printer {

// Column c covers dots [c * moduleWidth, (c + 1) * moduleWidth); row r is
// rowHeights[r] dots tall. Empty when the picture would be absurdly large.
SymbolBitmap DrawModules(const ModuleMatrix& modules, std::uint32_t moduleWidth,
                         std::span<const std::uint32_t> rowHeights);

// Every row the same height, as in a one-row barcode or a square matrix.
std::vector<std::uint32_t> UniformRowHeights(const ModuleMatrix& modules, std::uint32_t dots);

// The library's own row heights (stacked and composite symbols) times
// `dotsPerUnit`; its rows of unstated height share what is left of its total.
std::vector<std::uint32_t> LibraryRowHeights(const ModuleMatrix& modules, std::uint32_t dotsPerUnit);

// The symbol's box: the bars, with a white rectangle reserved above and/or
// below them for the human-readable line, one `cell` a character; both
// centred on the wider of the two.
Symbol FrameWithHri(SymbolBitmap bars, std::string text, HriPosition position, std::uint8_t font,
                    HriCell cell);

}  // namespace tesk::printer
