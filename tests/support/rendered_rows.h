#pragma once
// 1-bit pictures as bit strings, both ways: rows typed into a test become pure
// dot data, and a grabbed widget becomes rows that a failure message can show.

#include <QImage>
#include <QStringList>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tesk::testing {

// "1" is a black dot, most significant bit leftmost; spaces are ignored; each
// row is a whole number of bytes.
inline std::vector<std::uint8_t> PureRows(std::initializer_list<std::string_view> rows) {
  std::vector<std::uint8_t> bytes;
  for (const std::string_view row : rows) {
    int bit = 0;
    std::uint8_t value = 0;
    for (const char dot : row) {
      if (dot == ' ') continue;
      value = static_cast<std::uint8_t>(value << 1 | (dot == '1' ? 1 : 0));
      if (++bit == 8) {
        bytes.push_back(value);
        bit = 0;
        value = 0;
      }
    }
  }
  return bytes;
}

// "1" black, "0" white, "?" anything else, for each pixel of `area`.
inline QStringList RenderedRows(const QImage& image, const QRect& area) {
  QStringList rows;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    QString row;
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
      row += pixel == 0x000000 ? QLatin1Char('1') : pixel == 0xFFFFFF ? QLatin1Char('0') : QLatin1Char('?');
    }
    rows << row;
  }
  return rows;
}

// Whether every pixel of `area` is white.
inline bool AllWhite(const QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
  return true;
}

}  // namespace tesk::testing
