#include "view/scroll_helper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tesk::view {

ScrollHelper::Axis ScrollHelper::AxisOf(ScrollBar bar) {
  if (bar == ScrollBar::Horizontal) return {bar, pageWidth_, viewWidth_, positionX_};
  return {bar, pageHeight_, viewHeight_, positionY_};
}

void ScrollHelper::UpdateScrollInfo(bool keepPosition) {
  if (!owner_) return;
  // Measured once: showing or hiding the first bar must not change what the
  // second axis is given.
  const Extent usable = ClientSizeWithBars(owner_->UsableSize(), owner_->ScrollBarThickness());
  const int dx = UpdateAxis(AxisOf(ScrollBar::Horizontal), usable.width, keepPosition);
  const int dy = UpdateAxis(AxisOf(ScrollBar::Vertical), usable.height, keepPosition);
  if (dx != 0 || dy != 0) owner_->ScrollContents(dx, dy);
}

Extent ScrollHelper::ClientSizeWithBars(Extent usable, Extent bars) const {
  // A page as large as the area without bars would put the last rows (or
  // columns) under the other axis's bar, out of reach of every scroll. So each
  // axis gets what is left beside the bars that will show. Each bar can only
  // bring on the other, so two rounds settle it.
  bool horizontal = viewWidth_ > usable.width;
  bool vertical = viewHeight_ > usable.height;
  for (int round = 0; round < 2; ++round) {
    horizontal = viewWidth_ > usable.width - (vertical ? bars.width : 0);
    vertical = viewHeight_ > usable.height - (horizontal ? bars.height : 0);
  }
  return {usable.width - (vertical ? bars.width : 0), usable.height - (horizontal ? bars.height : 0)};
}

int ScrollHelper::UpdateAxis(const Axis& axis, int usable, bool keepPosition) {
  const int current = owner_->ScrollPosition(axis.bar);
  const int u = std::max(usable, 0);
  const int v = axis.view;
  ScrollInfo info;
  int shift = 0;
  if (u < v) {
    info.maximum = v - 1;
    // The position keeps its proportion when the page size changes. In double,
    // and limited before it goes back to int, so no product can overflow.
    double position = axis.position;
    if (!keepPosition && axis.page > 0 && axis.position > 0)
      position = std::trunc(static_cast<double>(axis.position) * u / axis.page);
    axis.page = u;
    position = std::min(position, static_cast<double>(std::int64_t{v} - u - 1));
    axis.position = static_cast<int>(position);
    shift = current - axis.position;
  } else {
    axis.page = 0;
    axis.position = 0;
    shift = current;
  }
  info.page = axis.page;
  info.position = axis.position;
  owner_->SetScrollInfo(axis.bar, info);
  return shift;
}

bool ScrollHelper::ScrollTo(int x, int y) {
  if (!owner_) return false;
  const int dx = MoveTo(AxisOf(ScrollBar::Horizontal), x);
  const int dy = MoveTo(AxisOf(ScrollBar::Vertical), y);
  if (dx == 0 && dy == 0) return false;
  owner_->ScrollContents(-dx, -dy);
  return true;
}

int ScrollHelper::MoveTo(const Axis& axis, std::int64_t target) {
  const ScrollInfo range = owner_->GetScrollInfo(axis.bar);
  if (range.minimum == range.maximum) return 0;
  const std::int64_t last = std::int64_t{axis.view} - axis.page;
  const auto position =
      static_cast<int>(std::clamp<std::int64_t>(target, 0, std::max<std::int64_t>(last, 0)));
  const int moved = position - axis.position;
  if (moved == 0) return 0;
  axis.position = position;
  owner_->SetScrollPosition(axis.bar, position);
  return moved;
}

void ScrollHelper::OnHScroll(int code) { Scroll(AxisOf(ScrollBar::Horizontal), code); }

void ScrollHelper::OnVScroll(int code) { Scroll(AxisOf(ScrollBar::Vertical), code); }

int ScrollHelper::Scroll(const Axis& axis, int code) {
  // The system's codes are unsigned: a negative one is as unknown as 6 or more.
  if (!owner_ || code < kLineUp || code > kThumbTrack) return 0;
  // An axis without a bar has nothing to move; its clamping alone would let a
  // content that fits move by a line.
  const ScrollInfo range = owner_->GetScrollInfo(axis.bar);
  if (range.minimum == range.maximum) return 0;

  std::int64_t step = 0;
  switch (code) {
    case kLineUp: step = -kLineStep; break;
    case kLineDown: step = kLineStep; break;
    case kPageUp: step = -axis.page; break;
    case kPageDown: step = axis.page; break;
    default: step = std::int64_t{owner_->TrackPosition(axis.bar)} - axis.position; break;
  }
  // Both tests look at the same unclamped target; the upper limit wins.
  const std::int64_t target = axis.position + step;
  const std::int64_t last = std::int64_t{axis.view} - axis.page;
  if (target < 0) step = -axis.position;
  if (target > last) step = last - axis.position;
  if (step == 0) return 0;

  axis.position = static_cast<int>(axis.position + step);
  owner_->SetScrollPosition(axis.bar, axis.position);
  const int moved = static_cast<int>(step);
  if (axis.bar == ScrollBar::Horizontal)
    owner_->ScrollContents(-moved, 0);
  else
    owner_->ScrollContents(0, -moved);
  return moved;
}

bool ScrollHelper::OnMouseWheel(int delta) {
  if (!owner_) return false;
  // The wheel only scrolls vertically: a picture that is merely wider than the
  // view ignores it.
  const ScrollInfo range = owner_->GetScrollInfo(ScrollBar::Vertical);
  if (range.minimum == range.maximum) return false;

  const int lines = owner_->WheelScrollLines();
  const Axis vertical = AxisOf(ScrollBar::Vertical);
  if (lines == kWheelPageScroll) {
    Scroll(vertical, delta > 0 ? kPageUp : kPageDown);
    return true;
  }
  const std::int64_t count = std::llabs(std::int64_t{delta}) / kWheelDeltaPerNotch * lines;
  const std::int64_t steps = std::max<std::int64_t>(count / 3, 1);
  const int code = delta > 0 ? kLineUp : kLineDown;
  // Once a step is stopped at the end, every further one would be too.
  for (std::int64_t index = 0; index < steps; ++index)
    if (Scroll(vertical, code) == 0) break;
  return true;
}

}  // namespace tesk::view
