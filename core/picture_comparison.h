#pragma once
// Two pictures laid over each other, top left on top left: how many dots only
// one of them has, where those dots gather, and the overlay that shows them.

#include <cstdint>
#include <vector>

#include "core/job_picture.h"

namespace tesk::core {

// Colours of the overlay, as indices of its palette.
enum class OverlayDot : std::uint8_t { Blank = 0, Both = 1, OnlyA = 2, OnlyB = 3 };

struct DotRegion {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
};

struct PictureComparison {
  std::int64_t width = 0;   // the wider of the two
  std::int64_t height = 0;  // the taller of the two
  std::int64_t differingDots = 0;
  std::int64_t onlyInA = 0;
  std::int64_t onlyInB = 0;
  // Row bands: each run of consecutive rows that hold a differing dot, boxed
  // from its leftmost to its rightmost differing dot. A picture shifted down
  // by a feed shows as one region from the shift on, not as thousands of specks.
  std::vector<DotRegion> regions;
  // One OverlayDot a dot, width x height, top row first.
  std::vector<std::uint8_t> overlay;

  bool Identical() const { return differingDots == 0; }
};

// Where one picture is smaller, its missing dots are blank. `overlay` is left
// empty when `drawOverlay` is false.
PictureComparison ComparePictures(const DotPicture& a, const DotPicture& b, bool drawOverlay = true);

}  // namespace tesk::core
