#include "core/command_layout.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "commands/command_scanner.h"
#include "core/band_layout.h"

namespace tesk::core {

CommandBandLayout PlanCommandLayout(std::span<const std::uint8_t> job) {
  CommandBandLayout layout;
  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    if (command.type != commands::CommandType::RasterBand) return;
    CommandBand band;
    band.dataOffset = command.dataOffset;
    band.widthBytes = command.widthBytes;
    band.height = command.height;
    const std::uint64_t end = command.offset + command.length;
    band.presentBytes = end > command.dataOffset ? end - command.dataOffset : 0;
    if (layout.bands.empty()) {
      layout.mode = command.mode;
      layout.bandHeight = static_cast<std::int32_t>(command.height);
    }
    layout.widthBytes = std::max(layout.widthBytes, static_cast<std::int32_t>(command.widthBytes));
    layout.bitmapHeight += command.height;
    if (!layout.complete) return;
    // A job of nothing but empty GS v 0 commands lists millions of bands; the
    // list must not end the process when memory runs short.
    try {
      layout.bands.push_back(band);
    } catch (const std::bad_alloc&) {
      layout.complete = false;
      std::vector<CommandBand>().swap(layout.bands);
    }
  });
  layout.pureLength = std::int64_t{layout.widthBytes} * layout.bitmapHeight;
  if (!layout.bands.empty()) {
    const CommandBand& last = layout.bands.back();
    layout.lastBandCompletable = MayCompleteBand(static_cast<std::int64_t>(last.presentBytes),
                                                 std::int64_t{last.widthBytes} * last.height);
  }
  return layout;
}

bool GatherCommandBands(std::span<const std::uint8_t> job, const CommandBandLayout& layout,
                        ByteBuffer& pureData) {
  if (!pureData.Allocate(static_cast<std::size_t>(layout.pureLength))) return false;
  const auto stride = static_cast<std::size_t>(layout.widthBytes);
  std::size_t row = 0;
  for (const CommandBand& band : layout.bands) {
    for (std::uint32_t bandRow = 0; bandRow < band.height; ++bandRow, ++row) {
      const std::uint64_t start = std::uint64_t{bandRow} * band.widthBytes;
      if (start >= band.presentBytes) continue;  // the zero-filled buffer is already white
      const std::uint64_t count = std::min<std::uint64_t>(band.widthBytes, band.presentBytes - start);
      std::memcpy(pureData.data() + row * stride, job.data() + band.dataOffset + start,
                  static_cast<std::size_t>(count));
    }
  }
  return true;
}

}  // namespace tesk::core
