#include "tests/printer/symbol_scan.h"

#include <fstream>

namespace tesk::testing {

bool ZbarAvailable() { return RunCommand("command -v zbarimg") == 0; }

void WritePbm(const std::filesystem::path& path, const printer::SymbolBitmap& bitmap, unsigned quiet,
              unsigned magnify) {
  const unsigned width = bitmap.width * magnify + 2 * quiet;
  const unsigned height = bitmap.height * magnify + 2 * quiet;
  const unsigned stride = (width + 7) / 8;
  std::string pixels(std::size_t{stride} * height, '\0');
  for (unsigned y = 0; y < bitmap.height * magnify; ++y)
    for (unsigned x = 0; x < bitmap.width * magnify; ++x)
      if (bitmap.Dot(x / magnify, y / magnify)) {
        const unsigned column = x + quiet;
        pixels[std::size_t{y + quiet} * stride + column / 8] |= static_cast<char>(0x80 >> (column % 8));
      }
  std::ofstream file(path, std::ios::binary);
  file << "P4\n" << width << ' ' << height << '\n' << pixels;
}

std::string ScanSymbol(const printer::SymbolBitmap& bitmap, const TempFolder& folder, const std::string& options,
                       unsigned magnify) {
  const auto path = folder / "symbol.pbm";
  // A quiet zone of ten modules at the widest module a test draws.
  WritePbm(path, bitmap, 80, magnify);
  std::string output;
  RunCommand("{ zbarimg --raw -q --nodbus " + options + " '" + path.string() + "' 2>/dev/null; }", &output);
  if (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

std::string DotRows(const printer::SymbolBitmap& bitmap) {
  std::string rows;
  for (unsigned y = 0; y < bitmap.height; ++y) {
    for (unsigned x = 0; x < bitmap.width; ++x) rows += bitmap.Dot(x, y) ? '#' : '.';
    rows += '\n';
  }
  return rows;
}

}  // namespace tesk::testing
