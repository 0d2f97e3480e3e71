#pragma once
// The zoom factors the picture view steps through, kept apart from any toolkit.

#include <cstdint>

namespace tesk::view {

inline constexpr double kSmallestZoom = 1.0 / 64;
inline constexpr double kLargestZoom = 16;
// From this factor on, each dot is outlined by a faint grid.
inline constexpr double kDotGridZoom = 8;

// The next factor up (or down) from `zoom`: 1, 2, 3, 4, 6, 8, 12, 16 above
// 1:1, halving below it.
double NextZoomIn(double zoom);
double NextZoomOut(double zoom);

// The factor that shows `content` pixels in `room` pixels, within the limits.
double FitZoom(std::int64_t content, std::int64_t room);

// A length of the picture in view pixels at `zoom`, rounded up, at most the
// largest int.
int ScaledLength(std::int64_t length, double zoom);

}  // namespace tesk::view
