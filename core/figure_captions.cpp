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
      {"dataLength", "光栅位图数据大小:", f.dataLength, false},
      {"zipFileSize", "光栅位图ZIP包大小:", Signed(f.zipFileSize), false},
      {"mode", "光栅位图模式:", f.mode, true},
      {"widthBytes", "水平方向位图字节数:", f.widthBytes, false},
      {"bandHeight", "垂直方向位图点数:", f.bandHeight, false},
      {"bandCount", "垂直方向位图个数:", f.bandCount, false},
      {"bitmapWidth", "BMP图片原始宽度:", f.bitmapWidth, false},
      {"bitmapHeight", "BMP图片原始高度:", f.bitmapHeight, false},
      {"paddedWidth", "BMP图片扩展宽度:", f.paddedWidth, false},
      {"bmpFileSize", "BMP图片大小:", Signed(f.bmpFileSize), false},
      {"pngFileSize", "PNG图片大小:", Signed(f.pngFileSize), false},
  };
}

std::optional<std::string> ModeItemText(std::int64_t mode) {
  if (mode < 0 || mode >= static_cast<std::int64_t>(std::size(kModeItems))) return std::nullopt;
  return kModeItems[mode];
}

}  // namespace tesk::core
