#pragma once
// Where the fixed band layout puts the raster bands of a job: the first GS v 0
// header at offset 7 (or 10), each later band 11 bytes after the previous
// band's data, every band as wide and as high as the first.

#include <cstdint>
#include <span>

namespace tesk::core {

// A last band cut off by the end of the job is completed with white rows only
// when the job holds at least half of it, or the white rows come to less than
// kLargestBandCompletion bytes. A capture or dump cut short loses a few rows of
// a real band; a header whose band the job barely begins to hold is corrupt,
// and completing it would turn a few bytes into a picture of hundreds of MiB.
inline constexpr std::int64_t kLargestBandCompletion = std::int64_t{1} << 20;  // 1 MiB

// True when a band of `bandBytes` of which the job holds `presentBytes` may be completed.
bool MayCompleteBand(std::int64_t presentBytes, std::int64_t bandBytes);

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
std::int64_t CountFixedBands(std::int64_t jobLength, std::int64_t firstDataOffset, std::int64_t bandBytes);

}  // namespace tesk::core
