#include "tests/printer/symbol_scan.h"

#include <fstream>

namespace tesk::testing {

printer::SymbolBitmap CutOut(const printer::Paper& paper, const printer::DrawnItem& item) {
  printer::SymbolBitmap bitmap;
  bitmap.width = static_cast<std::uint32_t>(item.area.width);
  bitmap.height = static_cast<std::uint32_t>(item.area.height);
  bitmap.rows.assign(std::size_t{bitmap.Stride()} * bitmap.height, 0);
  const printer::PaperPiece& piece = paper.pieces.at(static_cast<std::size_t>(item.piece));
  for (std::uint32_t y = 0; y < bitmap.height; ++y)
    for (std::uint32_t x = 0; x < bitmap.width; ++x) {
      const std::int64_t column = item.area.x + x;
      const std::size_t at = static_cast<std::size_t>((item.area.y + y) * paper.WidthBytes() + column / 8);
      if (piece.rows.at(at) & (0x80 >> (column % 8)))
        bitmap.rows[std::size_t{y} * bitmap.Stride() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  return bitmap;
}

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

std::string ScanSymbol(const printer::SymbolBitmap& bitmap, const TempFolder& folder,
                       const std::string& options, unsigned magnify) {
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
