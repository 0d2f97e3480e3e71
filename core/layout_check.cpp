#include "core/layout_check.h"

#include <algorithm>

#include "core/band_layout.h"
#include "commands/command_scanner.h"

namespace tesk::core {

namespace {

std::string Bands(std::int64_t count) { return std::to_string(count) + (count == 1 ? " band" : " bands"); }

}  // namespace

LayoutCheck CheckFixedLayout(std::span<const std::uint8_t> job) {
  LayoutCheck check;
  std::vector<commands::CommandRecord> raster;
  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    if (command.type == commands::CommandType::RasterBand) raster.push_back(command);
  });
  check.rasterCommands = static_cast<std::int64_t>(raster.size());

  const FixedBandLayout layout = PlanFixedLayout(job);
  check.expectedBands = layout.bandCount;
  std::string firstProblem;
  for (std::int64_t band = 0; band < layout.bandCount; ++band) {
    BandCheck entry;
    entry.band = band + 1;
    entry.expectedHeader = layout.HeaderOffset(band);
    const auto found = std::lower_bound(
        raster.begin(), raster.end(), static_cast<std::uint64_t>(entry.expectedHeader),
        [](const commands::CommandRecord& command, std::uint64_t offset) { return command.offset < offset; });
    if (found != raster.end() && found->offset == static_cast<std::uint64_t>(entry.expectedHeader)) {
      entry.found = true;
      entry.widthBytes = found->widthBytes;
      entry.height = found->height;
      entry.matches = found->widthBytes == static_cast<std::uint32_t>(layout.widthBytes) &&
                      found->height == static_cast<std::uint32_t>(layout.bandHeight) && !found->cutOff;
    }
    if (firstProblem.empty() && !entry.matches) {
      const std::string where = "band " + std::to_string(entry.band) + ": ";
      if (!entry.found)
        firstProblem = where + "no GS v 0 command at offset " + std::to_string(entry.expectedHeader) +
                       ", where the fixed layout expects its header";
      else if (found->cutOff)
        firstProblem = where + "the band is cut off by the end of the job";
      else
        firstProblem = where + "GS v 0 at offset " + std::to_string(entry.expectedHeader) + " is " +
                       std::to_string(entry.widthBytes) + " bytes x " + std::to_string(entry.height) +
                       " rows, not the first band's " + std::to_string(layout.widthBytes) + " x " +
                       std::to_string(layout.bandHeight);
    }
    check.bands.push_back(entry);
  }

  if (layout.bandCount == 0) {
    check.verdict = raster.empty() ? "no GS v 0 command in the job; the fixed layout takes no band"
                                   : "the fixed layout takes no band, yet the job holds " +
                                         std::to_string(raster.size()) + " GS v 0 commands";
  } else if (!firstProblem.empty()) {
    check.verdict = firstProblem;
  } else if (check.rasterCommands != layout.bandCount) {
    check.verdict = "the fixed layout takes " + Bands(layout.bandCount) + ", but the job holds " +
                    std::to_string(check.rasterCommands) + " GS v 0 commands";
  } else {
    check.matches = true;
    check.verdict = "fixed layout matches all " + std::to_string(layout.bandCount) + " bands";
  }
  return check;
}

}  // namespace tesk::core
