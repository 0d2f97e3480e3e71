#pragma once
// Where the fixed band layout puts the raster bands of a job: the first GS v 0
// header at offset 7 (or 10), each later band 11 bytes after the previous
// band's data, every band as wide and as high as the first.

#include <cstdint>
#include <span>

namespace tesk::core {

struct FixedBandLayout {
  bool headerAtSeven = false;
  std::int64_t firstDataOffset = 18;
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  std::int64_t bandBytes = 0;  // widthBytes x bandHeight
  std::int64_t bandCount = 0;  // bands whose first byte lies inside the job

  std::int64_t DataOffset(std::int64_t band) const { return firstDataOffset + band * (bandBytes + 11); }
  std::int64_t HeaderOffset(std::int64_t band) const { return DataOffset(band) - 8; }
};

// Reads the first header of `job` (missing bytes read as zero) and counts the
// bands of that size.
FixedBandLayout PlanFixedLayout(std::span<const std::uint8_t> job);

// The same count for a given band size, as the gathering uses it.
std::int64_t CountFixedBands(std::int64_t jobLength, std::int64_t firstDataOffset,
                             std::int64_t bandBytes);

}  // namespace tesk::core
