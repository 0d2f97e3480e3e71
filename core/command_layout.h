#pragma once
// The picture as the job's GS v 0 commands draw it, wherever they stand and
// whatever their sizes, for jobs that do not fit the fixed band layout.

#include <cstdint>
#include <span>
#include <vector>

#include "core/byte_buffer.h"

namespace tesk::core {

struct CommandBand {
  std::uint64_t dataOffset = 0;
  std::uint64_t presentBytes = 0;  // less than widthBytes x height when the job cuts it off
  std::uint32_t widthBytes = 0;
  std::uint32_t height = 0;
};

struct CommandBandLayout {
  std::vector<CommandBand> bands;
  std::int32_t mode = 0;          // the first band's
  std::int32_t widthBytes = 0;    // the widest band's
  std::int32_t bandHeight = 0;    // the first band's
  std::int64_t bitmapHeight = 0;  // all bands' heights added up
  std::int64_t pureLength = 0;    // widthBytes x bitmapHeight
  // False when the last band is cut off too far to be completed (MayCompleteBand).
  bool lastBandCompletable = true;
  // False when there was no memory for the list of bands; the rest is then partial.
  bool complete = true;
};

CommandBandLayout PlanCommandLayout(std::span<const std::uint8_t> job);

// Gathers every band's rows, each left-aligned and padded with white to the
// widest band; rows a cut-off band lacks are white. False without memory.
bool GatherCommandBands(std::span<const std::uint8_t> job, const CommandBandLayout& layout,
                        ByteBuffer& pureData);

}  // namespace tesk::core
