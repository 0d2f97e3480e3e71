#pragma once
// The scroll arithmetic of the picture view, kept apart from any toolkit: it
// holds a content size, a page and a position per axis, and drives the scroll
// bars of one owner through the small ScrollOwner interface.

#include <cstdint>

namespace tesk::view {

enum class ScrollBar { Horizontal, Vertical };

// The commands a scroll bar sends, with the values the system gave them.
enum ScrollCode : int {
  kLineUp = 0,  // also line left
  kLineDown = 1,
  kPageUp = 2,
  kPageDown = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kTop = 6,
  kBottom = 7,
  kEndScroll = 8,
};

// A bar's range in the system's terms: positions minimum..maximum, of which
// `page` are shown at once. Range 0..0 with page 0 means no bar.
struct ScrollInfo {
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;

  friend bool operator==(const ScrollInfo&, const ScrollInfo&) = default;
};

struct Extent {
  int width = 0;
  int height = 0;

  friend bool operator==(const Extent&, const Extent&) = default;
};

// Wheel setting that turns every wheel message into one page.
inline constexpr int kWheelPageScroll = -1;
inline constexpr int kWheelDeltaPerNotch = 120;
inline constexpr int kLineStep = 60;

class ScrollOwner {
 public:
  virtual ~ScrollOwner() = default;

  virtual int ScrollPosition(ScrollBar bar) const = 0;
  virtual ScrollInfo GetScrollInfo(ScrollBar bar) const = 0;
  virtual void SetScrollInfo(ScrollBar bar, const ScrollInfo& info) = 0;
  virtual void SetScrollPosition(ScrollBar bar, int position) = 0;
  // Where the user holds the thumb while dragging it.
  virtual int TrackPosition(ScrollBar bar) const = 0;
  // The client area as it would be without scroll bars, measured before either
  // bar changes.
  virtual Extent UsableSize() const = 0;
  // What a bar takes from the client area when it shows: the width of the
  // vertical bar and the height of the horizontal one.
  virtual Extent ScrollBarThickness() const = 0;
  // Moves what is drawn by (dx, dy) and repaints the strip that it uncovers.
  virtual void ScrollContents(int dx, int dy) = 0;
  // Lines per wheel notch, or kWheelPageScroll.
  virtual int WheelScrollLines() const = 0;
};

class ScrollHelper {
 public:
  void SetOwner(ScrollOwner* owner) { owner_ = owner; }
  ScrollOwner* Owner() const { return owner_; }

  void SetPageSize(int width, int height) {
    pageWidth_ = width;
    pageHeight_ = height;
  }
  void SetViewSize(int width, int height) {
    viewWidth_ = width;
    viewHeight_ = height;
  }

  // Recomputes page, position and range of both axes from the owner's size.
  // A new picture keeps its position in proportion to the page; a resized or
  // zoomed view keeps it as it is (`keepPosition`), limited to the new range.
  void UpdateScrollInfo(bool keepPosition = false);
  // Puts the given content point at the top-left, as far as the range allows;
  // the owner repaints what it shows. Returns whether anything moved.
  bool ScrollTo(int x, int y);
  // One scroll command on one axis; codes above kThumbTrack are ignored.
  void OnHScroll(int code);
  void OnVScroll(int code);
  // Wheel scrolling on the vertical axis; false when there is nothing to scroll.
  bool OnMouseWheel(int delta);

  int PageWidth() const { return pageWidth_; }
  int PageHeight() const { return pageHeight_; }
  int ViewWidth() const { return viewWidth_; }
  int ViewHeight() const { return viewHeight_; }
  int PositionX() const { return positionX_; }
  int PositionY() const { return positionY_; }

 private:
  struct Axis {
    ScrollBar bar;
    int& page;
    int& view;
    int& position;
  };
  Axis AxisOf(ScrollBar bar);
  int UpdateAxis(const Axis& axis, int usable, bool keepPosition);
  // Moves one axis to `target`, clamped; returns the distance moved.
  int MoveTo(const Axis& axis, std::int64_t target);
  // The client size each axis gets once the bars that the content needs show.
  Extent ClientSizeWithBars(Extent usable, Extent bars) const;
  // Returns the distance moved.
  int Scroll(const Axis& axis, int code);

  ScrollOwner* owner_ = nullptr;
  int pageWidth_ = 0;
  int pageHeight_ = 0;
  int viewWidth_ = 0;
  int viewHeight_ = 0;
  int positionX_ = 0;
  int positionY_ = 0;
};

}  // namespace tesk::view
