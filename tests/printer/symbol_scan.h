#pragma once
// A drawn symbol cut out, given a quiet zone, written as a PBM and read back by
// zbarimg, a decoder we did not write.

#include <string>

#include "printer/paper.h"
#include "printer/symbol_bitmap.h"
#include "tests/support/temp_folder.h"

namespace tesk::testing {

bool ZbarAvailable();

// What zbarimg reads from the symbol, one line per symbol found, without the
// last line break; "" when it finds none. `options` go to zbarimg as they are.
// `magnify` enlarges every dot, as a scanner's optics would: zbarimg cannot
// resolve modules of a single pixel, which a printer's head prints.
std::string ScanSymbol(const printer::SymbolBitmap& bitmap, const TempFolder& folder,
                       const std::string& options = "", unsigned magnify = 1);

// Writes the picture, every dot `magnify` pixels square, with `quiet` white
// pixels on every side.
void WritePbm(const std::filesystem::path& path, const printer::SymbolBitmap& bitmap, unsigned quiet,
              unsigned magnify = 1);

// The dots of a drawn item's area on its piece of paper, as a symbol bitmap.
printer::SymbolBitmap CutOut(const printer::Paper& paper, const printer::DrawnItem& item);

// The symbol as rows of '#' and '.', for failure messages and bit-string checks.
std::string DotRows(const printer::SymbolBitmap& bitmap);

}  // namespace tesk::testing
