#include "view/zoom_steps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tesk::view {
namespace {
constexpr double kSteps[] = {1, 2, 3, 4, 6, 8, 12, 16};
}

double NextZoomIn(double zoom) {
  if (zoom < 1) return std::min(1.0, std::exp2(std::floor(std::log2(zoom) + 1e-9) + 1));
  for (const double step : kSteps)
    if (step > zoom + 1e-9) return step;
  return kLargestZoom;
}

double NextZoomOut(double zoom) {
  if (zoom <= 1 + 1e-9) return std::max(kSmallestZoom, std::exp2(std::ceil(std::log2(zoom) - 1e-9) - 1));
  double below = 1;
  for (const double step : kSteps)
    if (step < zoom - 1e-9) below = step;
  return below;
}

double FitZoom(std::int64_t content, std::int64_t room) {
  if (content <= 0 || room <= 0) return 1;
  return std::clamp(static_cast<double>(room) / static_cast<double>(content), kSmallestZoom, kLargestZoom);
}

int ScaledLength(std::int64_t length, double zoom) {
  const double scaled = std::ceil(static_cast<double>(length) * zoom - 1e-9);
  return static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(std::numeric_limits<int>::max())));
}

}  // namespace tesk::view
