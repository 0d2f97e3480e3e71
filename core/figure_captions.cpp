#include "core/figure_captions.h"

namespace tesk::core {
namespace {

std::optional<std::int64_t> Signed(const std::optional<std::uint64_t>& size) {
  if (!size) return std::nullopt;
  return static_cast<std::int64_t>(*size);
}

}  // namespace

std::vector<ReportedFigure> ListFigures(const RunFigures& f) {
  return {
      {"dataLength", caption::kDataLength, f.dataLength, false},
      {"zipFileSize", caption::kZipFileSize, Signed(f.zipFileSize), false},
      {"mode", caption::kMode, f.mode, true},
      {"widthBytes", caption::kWidthBytes, f.widthBytes, false},
      {"bandHeight", caption::kBandHeight, f.bandHeight, false},
      {"bandCount", caption::kBandCount, f.bandCount, false},
      {"bitmapWidth", caption::kBitmapWidth, f.bitmapWidth, false},
      {"bitmapHeight", caption::kBitmapHeight, f.bitmapHeight, false},
      {"paddedWidth", caption::kPaddedWidth, f.paddedWidth, false},
      {"bmpFileSize", caption::kBmpFileSize, Signed(f.bmpFileSize), false},
      {"pngFileSize", caption::kPngFileSize, Signed(f.pngFileSize), false},
  };
}

std::optional<std::string> ModeItemText(std::int64_t mode) {
  if (mode < 0 || mode >= static_cast<std::int64_t>(std::size(kModeItems))) return std::nullopt;
  return kModeItems[mode];
}

}  // namespace tesk::core
