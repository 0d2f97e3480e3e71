#pragma once
// Blocks of 1-bit dots as the printer holds them: rows of bits, most
// significant bit leftmost, either read straight from the job or converted
// from the column format of the older image commands.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tesk::printer {

struct DotBlock {
  // Keeps converted and defined images alive for as long as anything draws them;
  // null when `rows` points into the job.
  std::shared_ptr<const std::vector<std::uint8_t>> owner;
  const std::uint8_t* rows = nullptr;
  std::int64_t stride = 0;  // bytes from one row to the next
  std::int64_t width = 0;   // dots
  std::int64_t height = 0;  // rows

  bool Empty() const { return width <= 0 || height <= 0; }
};

// Rows already in raster order, viewed where they are.
DotBlock ViewRaster(std::span<const std::uint8_t> bytes, std::int64_t widthDots, std::int64_t strideBytes,
                    std::int64_t height);
// A copy of raster rows, for images defined now and printed later.
DotBlock CopyRaster(std::span<const std::uint8_t> bytes, std::int64_t widthDots, std::int64_t strideBytes,
                    std::int64_t height);
// Column format: `columns` columns of `bytesPerColumn` bytes each, top byte
// first, the top dot in the most significant bit; `heightDots` rows are kept.
// `bytes` must hold columns x bytesPerColumn bytes.
DotBlock ConvertColumns(std::span<const std::uint8_t> bytes, std::int64_t columns,
                        std::int64_t bytesPerColumn, std::int64_t heightDots);

// ORs `visibleDots` dots of one row (bits from the most significant of
// source[0]) into `row` starting at dot `x`. The caller keeps x + visibleDots
// within the row.
void OrDots(std::span<std::uint8_t> row, std::int64_t x, const std::uint8_t* source,
            std::int64_t visibleDots);
// Each dot of `source` made `scale` dots wide, into `widened` (resized).
void WidenDots(const std::uint8_t* source, std::int64_t width, int scale, std::vector<std::uint8_t>& widened);

}  // namespace tesk::printer
