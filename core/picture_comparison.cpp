#include "core/picture_comparison.h"

#include <algorithm>

namespace tesk::core {

PictureComparison ComparePictures(const DotPicture& a, const DotPicture& b, bool drawOverlay) {
  PictureComparison comparison;
  comparison.width = std::max(a.width, b.width);
  comparison.height = std::max(a.height, b.height);
  if (drawOverlay)
    comparison.overlay.assign(static_cast<std::size_t>(comparison.width * comparison.height),
                              static_cast<std::uint8_t>(OverlayDot::Blank));
  DotRegion open;
  bool regionOpen = false;
  for (std::int64_t y = 0; y < comparison.height; ++y) {
    std::int64_t left = -1;
    std::int64_t right = -1;
    for (std::int64_t x = 0; x < comparison.width; ++x) {
      const bool inA = a.Dot(x, y);
      const bool inB = b.Dot(x, y);
      if (!inA && !inB) continue;
      OverlayDot dot = OverlayDot::Both;
      if (inA != inB) {
        dot = inA ? OverlayDot::OnlyA : OverlayDot::OnlyB;
        ++(inA ? comparison.onlyInA : comparison.onlyInB);
        if (left < 0) left = x;
        right = x;
      }
      if (drawOverlay)
        comparison.overlay[static_cast<std::size_t>(y * comparison.width + x)] =
            static_cast<std::uint8_t>(dot);
    }
    if (left >= 0 && regionOpen) {
      const std::int64_t openRight = open.x + open.width - 1;
      open.x = std::min(open.x, left);
      open.width = std::max(openRight, right) - open.x + 1;
      open.height = y - open.y + 1;
    } else if (left >= 0) {
      open = {left, y, right - left + 1, 1};
      regionOpen = true;
    } else if (regionOpen) {
      comparison.regions.push_back(open);
      regionOpen = false;
    }
  }
  if (regionOpen) comparison.regions.push_back(open);
  comparison.differingDots = comparison.onlyInA + comparison.onlyInB;
  return comparison;
}

}  // namespace tesk::core
