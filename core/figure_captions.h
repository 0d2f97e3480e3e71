#pragma once
// How the figures of a run are named to the user: the captions of the window's
// labels, in the window's order, and the texts of the mode box.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/run_types.h"

namespace tesk::core {

// The captions beside the window's figures; the command line reports under the same words.
namespace caption {
inline constexpr const char kDataLength[] = "光栅位图数据大小:";
inline constexpr const char kZipFileSize[] = "光栅位图ZIP包大小:";
inline constexpr const char kMode[] = "光栅位图模式:";
inline constexpr const char kWidthBytes[] = "水平方向位图字节数:";
inline constexpr const char kBandHeight[] = "垂直方向位图点数:";
inline constexpr const char kBandCount[] = "垂直方向位图个数:";
inline constexpr const char kBitmapWidth[] = "BMP图片原始宽度:";
inline constexpr const char kBitmapHeight[] = "BMP图片原始高度:";
inline constexpr const char kPaddedWidth[] = "BMP图片扩展宽度:";
inline constexpr const char kBmpFileSize[] = "BMP图片大小:";
inline constexpr const char kPngFileSize[] = "PNG图片大小:";
}  // namespace caption

struct ReportedFigure {
  const char* fieldName;  // as in RunFigures: "dataLength", ...
  const char* caption;    // as beside the window's label: "光栅位图数据大小:"
  std::optional<std::int64_t> value;
  bool isMode;  // shown through the mode box rather than as a number
};

// Every figure in the order a run reports them.
std::vector<ReportedFigure> ListFigures(const RunFigures& figures);

// The mode box's entry for a mode byte ("正常(0)" ...), or none for a byte
// without an entry.
std::optional<std::string> ModeItemText(std::int64_t mode);

inline constexpr const char* kModeItems[] = {"正常(0)", "倍宽(1)", "倍高(2)", "倍宽倍高(3)"};

}  // namespace tesk::core
