#include "core/layout_check.h"

#include <functional>

#include "commands/command_scanner.h"
#include "core/band_layout.h"

namespace tesk::core {

namespace {

std::string Bands(std::int64_t count) { return std::to_string(count) + (count == 1 ? " band" : " bands"); }

std::string MismatchReason(const LayoutVerdict& verdict) {
  const BandCheck& band = verdict.firstMismatch;
  const std::string where = "band " + std::to_string(band.band) + ": ";
  switch (verdict.mismatch) {
    case LayoutMismatch::None:
      return "fixed layout matches all " + std::to_string(verdict.expectedBands) + " bands";
    case LayoutMismatch::NoHeader:
      return where + "no GS v 0 command at offset " + std::to_string(band.expectedHeader) +
             ", where the fixed layout expects its header";
    case LayoutMismatch::CutOff: return where + "the band is cut off by the end of the job";
    case LayoutMismatch::OtherSize:
      return where + "GS v 0 at offset " + std::to_string(band.expectedHeader) + " is " +
             std::to_string(band.widthBytes) + " bytes x " + std::to_string(band.height) +
             " rows, not the first band's " + std::to_string(verdict.widthBytes) + " x " +
             std::to_string(verdict.bandHeight);
    case LayoutMismatch::OtherBandCount:
      return "the fixed layout takes " + Bands(verdict.expectedBands) + ", but the job holds " +
             std::to_string(verdict.commandBands) + " GS v 0 commands";
    case LayoutMismatch::NoBandTaken:
      return "the fixed layout takes no band, yet the job holds " + std::to_string(verdict.commandBands) +
             " GS v 0 commands";
    case LayoutMismatch::NoRasterCommand:
      return "no GS v 0 command in the job; the fixed layout takes no band";
  }
  return {};
}

// Walks the bands the fixed layout takes alongside the GS v 0 commands of the
// job, both in offset order, so nothing is stored but the first disagreement.
// `onBand`, when given, sees every band; without it the walk over the bands
// stops at the first one that does not match.
LayoutVerdict WalkFixedLayout(std::span<const std::uint8_t> job,
                              const std::function<void(const BandCheck&)>* onBand) {
  const FixedBandLayout layout = PlanFixedLayout(job);
  LayoutVerdict verdict;
  verdict.expectedBands = layout.bandCount;
  verdict.widthBytes = layout.widthBytes;
  verdict.bandHeight = layout.bandHeight;
  std::int64_t next = 0;  // the next band whose header has not been met

  const auto settle = [&](BandCheck& band, LayoutMismatch mismatch) {
    if (verdict.mismatch == LayoutMismatch::None && mismatch != LayoutMismatch::None) {
      verdict.mismatch = mismatch;
      verdict.firstMismatch = band;
    }
    if (onBand) (*onBand)(band);
  };
  const auto walking = [&] {
    return next < layout.bandCount && (onBand || verdict.mismatch == LayoutMismatch::None);
  };
  const auto passHeaderless = [&](std::uint64_t before) {
    while (walking() && static_cast<std::uint64_t>(layout.HeaderOffset(next)) < before) {
      BandCheck band;
      band.band = next + 1;
      band.expectedHeader = layout.HeaderOffset(next);
      settle(band, LayoutMismatch::NoHeader);
      ++next;
    }
  };

  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    if (command.type != commands::CommandType::RasterBand) return;
    ++verdict.commandBands;
    passHeaderless(command.offset);
    if (!walking() || static_cast<std::uint64_t>(layout.HeaderOffset(next)) != command.offset) return;
    BandCheck band;
    band.band = next + 1;
    band.expectedHeader = layout.HeaderOffset(next);
    band.found = true;
    band.widthBytes = command.widthBytes;
    band.height = command.height;
    band.cutOff = command.cutOff;
    const bool sameSize = command.widthBytes == static_cast<std::uint32_t>(layout.widthBytes) &&
                          command.height == static_cast<std::uint32_t>(layout.bandHeight);
    band.matches = sameSize && !command.cutOff;
    settle(band, command.cutOff ? LayoutMismatch::CutOff
                 : !sameSize    ? LayoutMismatch::OtherSize
                                : LayoutMismatch::None);
    ++next;
  });
  passHeaderless(UINT64_MAX);

  if (layout.bandCount == 0)
    verdict.mismatch =
        verdict.commandBands == 0 ? LayoutMismatch::NoRasterCommand : LayoutMismatch::NoBandTaken;
  else if (verdict.mismatch == LayoutMismatch::None && verdict.commandBands != layout.bandCount)
    verdict.mismatch = LayoutMismatch::OtherBandCount;
  verdict.fits = verdict.mismatch == LayoutMismatch::None;
  verdict.reason = MismatchReason(verdict);
  return verdict;
}

}  // namespace

LayoutVerdict JudgeFixedLayout(std::span<const std::uint8_t> job) { return WalkFixedLayout(job, nullptr); }

LayoutCheck CheckFixedLayout(std::span<const std::uint8_t> job) {
  LayoutCheck check;
  const std::function<void(const BandCheck&)> keep = [&](const BandCheck& band) {
    check.bands.push_back(band);
  };
  const LayoutVerdict verdict = WalkFixedLayout(job, &keep);
  check.expectedBands = verdict.expectedBands;
  check.rasterCommands = verdict.commandBands;
  check.matches = verdict.fits;
  check.verdict = verdict.reason;
  return check;
}

}  // namespace tesk::core
