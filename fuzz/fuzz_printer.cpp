// The printer model on arbitrary jobs: every quirk combination, an odd paper
// width, and the checks that nothing lands outside the paper.

#include <cstdlib>

#include "core/picture_limits.h"
#include "fuzz/fuzz_sandbox.h"
#include "printer/paper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  if (size < 1) return 0;
  fuzz::LowerLimitsForFuzzing();
  // The first byte picks the quirks, the width and the column pitch; the rest is the job.
  const std::uint8_t choice = data[0];
  printer::Profile profile;
  profile.printableWidth = (choice & 0x20) ? 381 : 384;  // 381 leaves padding bits that must stay white
  profile.quirks.lineFeedAfterRasterSwallowed = choice & 0x01;
  profile.quirks.feedDotsIgnored = choice & 0x02;
  profile.quirks.rasterHeightLowByteOnly = choice & 0x04;
  profile.quirks.carriageReturnFeeds = choice & 0x08;
  profile.quirks.maxRasterHeight = (choice & 0x10) ? 255 : 0;
  profile.columnImageVerticalPitch = 1 + (choice >> 6);

  printer::Paper paper;
  const auto result = printer::PrintJob({data + 1, size - 1}, profile, paper, {core::PictureByteLimit()});
  if (paper.notDrawn.size() > paper.notDrawnCount) std::abort();
  std::int64_t total = 0;
  for (const std::int64_t height : paper.pieceHeights) {
    if (height <= 0) std::abort();  // a piece holds paper
    total += height;
  }
  for (const auto& item : paper.drawn) {
    if (item.piece < 0 || static_cast<std::size_t>(item.piece) >= paper.pieceHeights.size()) std::abort();
    if (item.area.x < 0 || item.area.width <= 0 || item.area.x + item.area.width > paper.width) std::abort();
    if (item.area.y < 0 ||
        item.area.y + item.area.height > paper.pieceHeights[static_cast<std::size_t>(item.piece)])
      std::abort();
  }
  if (result != printer::PaperResult::Printed) return 0;
  if (paper.pieces.size() != paper.pieceHeights.size() || paper.Height() != total) std::abort();
  const std::int64_t stride = paper.WidthBytes();
  const int padding = static_cast<int>(stride * 8 - paper.width);
  for (const auto& piece : paper.pieces) {
    if (static_cast<std::int64_t>(piece.rows.size()) != piece.height * stride) std::abort();
    if (padding)
      for (std::int64_t row = 0; row < piece.height; ++row)
        if (piece.rows[static_cast<std::size_t>((row + 1) * stride - 1)] & ((1u << padding) - 1))
          std::abort();
  }
  return 0;
}
