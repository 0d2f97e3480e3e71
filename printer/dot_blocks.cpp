#include "printer/dot_blocks.h"

#include <algorithm>
#include <array>

namespace tesk::printer {
namespace {

// Each bit of a byte doubled, for the double-width modes.
constexpr std::array<std::uint16_t, 256> MakeDoubledBytes() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte)
    for (unsigned bit = 0; bit < 8; ++bit)
      if (byte & (0x80u >> bit))
        table[byte] = static_cast<std::uint16_t>(table[byte] | (0xC000u >> (2 * bit)));
  return table;
}
constexpr auto kDoubledBytes = MakeDoubledBytes();

}  // namespace

DotBlock ViewRaster(std::span<const std::uint8_t> bytes, std::int64_t widthDots, std::int64_t strideBytes,
                    std::int64_t height) {
  DotBlock block;
  block.rows = bytes.data();
  block.stride = strideBytes;
  block.width = widthDots;
  block.height = height;
  return block;
}

DotBlock CopyRaster(std::span<const std::uint8_t> bytes, std::int64_t widthDots, std::int64_t strideBytes,
                    std::int64_t height) {
  auto copy = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
  DotBlock block = ViewRaster(*copy, widthDots, strideBytes, height);
  block.owner = std::move(copy);
  return block;
}

DotBlock ConvertColumns(std::span<const std::uint8_t> bytes, std::int64_t columns,
                        std::int64_t bytesPerColumn, std::int64_t heightDots) {
  const std::int64_t stride = (columns + 7) / 8;
  auto rows = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(stride * heightDots), 0);
  std::uint8_t* out = rows->data();
  for (std::int64_t column = 0; column < columns; ++column) {
    const std::uint8_t* data = bytes.data() + column * bytesPerColumn;
    const auto mask = static_cast<std::uint8_t>(0x80u >> (column % 8));
    std::uint8_t* dot = out + column / 8;
    for (std::int64_t y = 0; y < heightDots; ++y, dot += stride)
      if (data[y / 8] & (0x80u >> (y % 8))) *dot |= mask;
  }
  DotBlock block;
  block.rows = rows->data();
  block.owner = std::move(rows);
  block.stride = stride;
  block.width = columns;
  block.height = heightDots;
  return block;
}

void OrDots(std::span<std::uint8_t> row, std::int64_t x, const std::uint8_t* source,
            std::int64_t visibleDots) {
  if (visibleDots <= 0) return;
  const std::int64_t fullBytes = visibleDots / 8;
  const int rest = static_cast<int>(visibleDots % 8);
  const int shift = static_cast<int>(x % 8);
  std::uint8_t* out = row.data() + x / 8;
  const std::int64_t room = static_cast<std::int64_t>(row.size()) - x / 8;
  const auto lastByte = static_cast<std::uint8_t>(rest ? source[fullBytes] & (0xFF00u >> rest) : 0);
  if (shift == 0) {
    for (std::int64_t index = 0; index < fullBytes; ++index) out[index] |= source[index];
    if (rest) out[fullBytes] |= lastByte;
    return;
  }
  // Every byte straddles two bytes of the row; the second exists whenever a
  // visible dot lands in it.
  for (std::int64_t index = 0; index < fullBytes; ++index) {
    out[index] |= static_cast<std::uint8_t>(source[index] >> shift);
    if (index + 1 < room) out[index + 1] |= static_cast<std::uint8_t>(source[index] << (8 - shift));
  }
  if (rest) {
    out[fullBytes] |= static_cast<std::uint8_t>(lastByte >> shift);
    if (fullBytes + 1 < room) out[fullBytes + 1] |= static_cast<std::uint8_t>(lastByte << (8 - shift));
  }
}

void WidenDots(const std::uint8_t* source, std::int64_t width, int scale,
               std::vector<std::uint8_t>& widened) {
  const std::int64_t wideWidth = width * scale;
  widened.assign(static_cast<std::size_t>((wideWidth + 7) / 8), 0);
  const std::int64_t sourceBytes = (width + 7) / 8;
  if (scale == 2) {
    for (std::int64_t index = 0; index < sourceBytes; ++index) {
      const std::uint16_t doubled = kDoubledBytes[source[index]];
      widened[static_cast<std::size_t>(2 * index)] = static_cast<std::uint8_t>(doubled >> 8);
      if (2 * index + 1 < static_cast<std::int64_t>(widened.size()))
        widened[static_cast<std::size_t>(2 * index + 1)] = static_cast<std::uint8_t>(doubled);
    }
    return;
  }
  for (std::int64_t dot = 0; dot < width; ++dot) {
    if (!(source[dot / 8] & (0x80u >> (dot % 8)))) continue;
    for (std::int64_t copy = dot * scale; copy < (dot + 1) * scale; ++copy)
      widened[static_cast<std::size_t>(copy / 8)] |= static_cast<std::uint8_t>(0x80u >> (copy % 8));
  }
}

}  // namespace tesk::printer
