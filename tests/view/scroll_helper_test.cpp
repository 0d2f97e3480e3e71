#include "view/scroll_helper.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace tesk::view {
namespace {

// Stands in for the window: keeps what the helper sets, as the system's bars
// would, and records every move of the contents.
class FakeOwner : public ScrollOwner {
 public:
  int ScrollPosition(ScrollBar bar) const override { return info[Index(bar)].position; }
  ScrollInfo GetScrollInfo(ScrollBar bar) const override { return info[Index(bar)]; }
  void SetScrollInfo(ScrollBar bar, const ScrollInfo& newInfo) override { info[Index(bar)] = newInfo; }
  void SetScrollPosition(ScrollBar bar, int position) override { info[Index(bar)].position = position; }
  int TrackPosition(ScrollBar bar) const override { return track[Index(bar)]; }
  Extent UsableSize() const override {
    ++usableQueries;
    return usable;
  }
  Extent ScrollBarThickness() const override { return bars; }
  void ScrollContents(int dx, int dy) override { moves.push_back({dx, dy}); }
  int WheelScrollLines() const override { return lines; }

  static int Index(ScrollBar bar) { return bar == ScrollBar::Horizontal ? 0 : 1; }

  ScrollInfo info[2];
  int track[2] = {0, 0};
  Extent usable;
  Extent bars;  // none unless a test gives the bars a thickness
  int lines = 3;
  mutable int usableQueries = 0;
  std::vector<Extent> moves;
};

// A picture handed over the way the view does it: the old page is the client
// size at the last paint.
void SetImageSize(ScrollHelper& helper, Extent oldPage, Extent picture) {
  helper.SetPageSize(oldPage.width, oldPage.height);
  helper.SetViewSize(picture.width, picture.height);
  helper.UpdateScrollInfo();
}

void DragThumb(ScrollHelper& helper, FakeOwner& owner, ScrollBar bar, int to) {
  owner.track[FakeOwner::Index(bar)] = to;
  if (bar == ScrollBar::Horizontal)
    helper.OnHScroll(kThumbTrack);
  else
    helper.OnVScroll(kThumbTrack);
}

int Position(const ScrollHelper& helper, ScrollBar bar) {
  return bar == ScrollBar::Horizontal ? helper.PositionX() : helper.PositionY();
}

enum class Action { Command, Wheel };

struct ScrollCase {
  const char* name;
  ScrollBar axis;
  int content;  // on `axis`; the other axis always fits
  int start;    // where the thumb is dragged first
  Action action;
  int value;  // scroll code or wheel delta
  int lines;  // the wheel setting
  int expected;
  bool wheelHandled = true;
};

// Table rows print as their names.
void PrintTo(const ScrollCase& row, std::ostream* out) { *out << row.name; }

constexpr int kUsable = 300;
constexpr auto V = ScrollBar::Vertical;
constexpr auto H = ScrollBar::Horizontal;
constexpr auto Cmd = Action::Command;
constexpr auto Wheel = Action::Wheel;

const ScrollCase kScrollCases[] = {
    {"LineDownFromTheTop", V, 1000, 0, Cmd, kLineDown, 3, 60},
    {"LineDownNearTheEndStopsAtContentLessPage", V, 1000, 690, Cmd, kLineDown, 3, 700},
    {"LineUpNearTheTopStopsAtZero", V, 1000, 30, Cmd, kLineUp, 3, 0},
    {"PageDownMovesOnePage", V, 1000, 0, Cmd, kPageDown, 3, 300},
    {"PageDownNearTheEndStops", V, 1000, 500, Cmd, kPageDown, 3, 700},
    {"PageUpNearTheTopStops", V, 1000, 200, Cmd, kPageUp, 3, 0},
    {"ThumbDraggedToTheEnd", V, 1000, 700, Cmd, kThumbTrack, 3, 700},
    {"ThumbReleasedStaysWhereDragged", V, 1000, 350, Cmd, kThumbPosition, 3, 350},
    {"TopIsIgnored", V, 1000, 500, Cmd, kTop, 3, 500},
    {"BottomIsIgnored", V, 1000, 500, Cmd, kBottom, 3, 500},
    {"EndScrollIsIgnored", V, 1000, 500, Cmd, kEndScroll, 3, 500},
    {"UnknownCodeIsIgnored", V, 1000, 500, Cmd, 9, 3, 500},
    {"NegativeCodeIsIgnored", V, 1000, 500, Cmd, -1, 3, 500},
    {"LineRightOnTheHorizontalAxis", H, 1000, 0, Cmd, kLineDown, 3, 60},
    {"LineLeftNearTheLeftEdgeStopsAtZero", H, 1000, 20, Cmd, kLineUp, 3, 0},
    {"CommandOnAnAxisThatFitsMovesNothing", V, 200, 0, Cmd, kLineDown, 3, 0},
    {"WheelOneNotchThreeLinesIsOneStep", V, 1000, 0, Wheel, -120, 3, 60},
    {"WheelTwoNotchesThreeLinesIsTwoSteps", V, 1000, 0, Wheel, -240, 3, 120},
    {"WheelThreeNotchesOneLineIsOneStep", V, 1000, 0, Wheel, -360, 1, 60},
    {"WheelBelowOneNotchIsStillOneStep", V, 1000, 0, Wheel, -30, 3, 60},
    {"WheelWithZeroLinesIsStillOneStep", V, 1000, 0, Wheel, -120, 0, 60},
    {"WheelAwayFromYouScrollsUp", V, 1000, 300, Wheel, 120, 3, 240},
    {"WheelPageScrollDown", V, 1000, 0, Wheel, -120, kWheelPageScroll, 300},
    {"WheelPageScrollUp", V, 1000, 500, Wheel, 120, kWheelPageScroll, 200},
    {"WheelFarPastTheEndStopsThere", V, 1000, 0, Wheel, -32768, 100000, 700},
    {"WheelOverAPictureOnlyWiderIgnored", H, 1000, 400, Wheel, -120, 3, 400, false},
};

class ScrollCommand : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(ScrollCommand, MovesTheAxisAsFarAsTheRulesAllow) {
  const ScrollCase& c = GetParam();
  FakeOwner owner;
  owner.usable = {kUsable, kUsable};
  ScrollHelper helper;
  helper.SetOwner(&owner);
  const Extent picture = c.axis == V ? Extent{100, c.content} : Extent{c.content, 100};
  SetImageSize(helper, {0, 0}, picture);
  if (c.start != 0) DragThumb(helper, owner, c.axis, c.start);
  ASSERT_EQ(Position(helper, c.axis), c.start);
  owner.moves.clear();
  owner.lines = c.lines;

  if (c.action == Cmd) {
    // A released thumb reports where it was let go.
    owner.track[FakeOwner::Index(c.axis)] = c.start;
    if (c.axis == H)
      helper.OnHScroll(c.value);
    else
      helper.OnVScroll(c.value);
  } else {
    EXPECT_EQ(helper.OnMouseWheel(c.value), c.wheelHandled);
  }

  EXPECT_EQ(Position(helper, c.axis), c.expected);
  EXPECT_EQ(owner.info[FakeOwner::Index(c.axis)].position, c.expected);
  // What was shown moves the other way, by exactly what the position moved.
  int movedAlong = 0;
  int movedAcross = 0;
  for (const Extent& move : owner.moves) {
    movedAlong += c.axis == H ? move.width : move.height;
    movedAcross += c.axis == H ? move.height : move.width;
  }
  EXPECT_EQ(movedAlong, c.start - c.expected);
  EXPECT_EQ(movedAcross, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, ScrollCommand, ::testing::ValuesIn(kScrollCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A new picture while scrolled: the position keeps its proportion and the
// per-axis limit, or the axis resets when the picture fits.
struct NewPictureCase {
  const char* name;
  int oldContent;
  int start;
  int oldPage;  // client height at the last paint
  int usable;
  int newContent;
  ScrollInfo expected;
  int expectedShift;  // the contents move by this, down
};

// Table rows print as their names.
void PrintTo(const NewPictureCase& row, std::ostream* out) { *out << row.name; }

const NewPictureCase kNewPictureCases[] = {
    {"FirstPictureThatDoesNotFit", 0, 0, 0, 300, 1000, {0, 999, 300, 0}, 0},
    {"EqualSizeFits", 0, 0, 0, 300, 300, {0, 0, 0, 0}, 0},
    {"TallerKeepsThePosition", 1000, 500, 300, 300, 2000, {0, 1999, 300, 500}, 0},
    {"PageChangeRescalesThePosition", 1000, 500, 300, 600, 2000, {0, 1999, 600, 1000}, -500},
    {"RescaleTruncates", 1000, 499, 300, 200, 2000, {0, 1999, 200, 332}, 167},
    {"LimitIsContentLessUsableLessOne", 1000, 700, 300, 300, 900, {0, 899, 300, 599}, 101},
    {"NeverPaintedKeepsThePosition", 1000, 500, 0, 300, 2000, {0, 1999, 300, 500}, 0},
    {"FittingPictureResetsTheAxis", 1000, 500, 300, 300, 200, {0, 0, 0, 0}, 500},
};

class NewPicture : public ::testing::TestWithParam<NewPictureCase> {};

TEST_P(NewPicture, SetsRangePageAndPosition) {
  const NewPictureCase& c = GetParam();
  FakeOwner owner;
  owner.usable = {100, 300};
  ScrollHelper helper;
  helper.SetOwner(&owner);
  if (c.oldContent > 0) {
    SetImageSize(helper, {0, 0}, {100, c.oldContent});
    DragThumb(helper, owner, V, c.start);
    ASSERT_EQ(helper.PositionY(), c.start);
  }
  owner.usable = {100, c.usable};
  owner.moves.clear();
  owner.usableQueries = 0;

  SetImageSize(helper, {100, c.oldPage}, {100, c.newContent});

  EXPECT_EQ(owner.info[1], c.expected);
  EXPECT_EQ(helper.PositionY(), c.expected.position);
  EXPECT_EQ(helper.PageHeight(), c.expected.page);
  EXPECT_EQ(owner.info[0], (ScrollInfo{0, 0, 0, 0}));  // 100 wide in 100 fits
  EXPECT_EQ(owner.usableQueries, 1);
  if (c.expectedShift == 0) {
    EXPECT_TRUE(owner.moves.empty());
  } else {
    ASSERT_EQ(owner.moves.size(), 1u);
    EXPECT_EQ(owner.moves[0], (Extent{0, c.expectedShift}));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, NewPicture, ::testing::ValuesIn(kNewPictureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Bars 15 pixels thick in a 300 x 300 view: a bar that shows takes its room
// from the other axis, so the last row and column can always be scrolled to.
struct BarsCase {
  const char* name;
  Extent picture;
  ScrollInfo horizontal;
  ScrollInfo vertical;
};

// Table rows print as their names.
void PrintTo(const BarsCase& row, std::ostream* out) { *out << row.name; }

const BarsCase kBarsCases[] = {
    {"BothTooLarge", {1000, 1000}, {0, 999, 285, 0}, {0, 999, 285, 0}},
    {"TallAndJustTooWideBesideTheVerticalBar", {290, 1000}, {0, 289, 285, 0}, {0, 999, 285, 0}},
    {"TallAndNarrowEnoughBesideTheVerticalBar", {285, 1000}, {0, 0, 0, 0}, {0, 999, 300, 0}},
    {"WideAndJustTooTallAboveTheHorizontalBar", {1000, 290}, {0, 999, 285, 0}, {0, 289, 285, 0}},
    {"EqualSizesFitWithoutBars", {300, 300}, {0, 0, 0, 0}, {0, 0, 0, 0}},
};

class BarsTakeTheirRoom : public ::testing::TestWithParam<BarsCase> {};

TEST_P(BarsTakeTheirRoom, PagesAreWhatIsLeftBesideTheBars) {
  const BarsCase& c = GetParam();
  FakeOwner owner;
  owner.usable = {300, 300};
  owner.bars = {15, 15};
  ScrollHelper helper;
  helper.SetOwner(&owner);
  SetImageSize(helper, {0, 0}, c.picture);
  EXPECT_EQ(owner.info[0], c.horizontal);
  EXPECT_EQ(owner.info[1], c.vertical);
}

INSTANTIATE_TEST_SUITE_P(Table, BarsTakeTheirRoom, ::testing::ValuesIn(kBarsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScrollHelper, BothAxesMoveInOneScroll) {
  FakeOwner owner;
  owner.usable = {300, 300};
  ScrollHelper helper;
  helper.SetOwner(&owner);
  SetImageSize(helper, {0, 0}, {1000, 1000});
  DragThumb(helper, owner, H, 600);
  DragThumb(helper, owner, V, 400);
  owner.moves.clear();
  SetImageSize(helper, {300, 300}, {100, 100});
  ASSERT_EQ(owner.moves.size(), 1u);
  EXPECT_EQ(owner.moves[0], (Extent{600, 400}));
}

// A resized or zoomed view keeps its position as it is (a new picture scales
// it by the page), and a direct move stops at both ends of the range.
TEST(ScrollHelper, KeptPositionAndDirectMovesStayInRange) {
  FakeOwner owner;
  owner.usable = {300, 300};
  ScrollHelper helper;
  helper.SetOwner(&owner);
  SetImageSize(helper, {0, 0}, {100, 1000});
  DragThumb(helper, owner, V, 500);
  owner.usable = {300, 600};
  helper.UpdateScrollInfo(true);
  EXPECT_EQ(helper.PositionY(), 399);  // limited to 1000 - 600 - 1, not scaled to 1000
  EXPECT_EQ(helper.PageHeight(), 600);

  owner.moves.clear();
  EXPECT_TRUE(helper.ScrollTo(0, 100));
  EXPECT_EQ(helper.PositionY(), 100);
  ASSERT_EQ(owner.moves.size(), 1u);
  EXPECT_EQ(owner.moves[0], (Extent{0, 299}));
  EXPECT_TRUE(helper.ScrollTo(0, 5000));
  EXPECT_EQ(helper.PositionY(), 400);
  EXPECT_EQ(owner.info[1].position, 400);
  EXPECT_TRUE(helper.ScrollTo(0, -7));
  EXPECT_EQ(helper.PositionY(), 0);
  EXPECT_FALSE(helper.ScrollTo(50, 0));  // the picture fits across: nothing to move
  EXPECT_EQ(helper.PositionX(), 0);
}

TEST(ScrollHelper, WithoutAnOwnerNothingHappens) {
  ScrollHelper helper;
  helper.SetViewSize(1000, 1000);
  helper.UpdateScrollInfo();
  helper.OnVScroll(kLineDown);
  helper.OnHScroll(kPageDown);
  EXPECT_FALSE(helper.OnMouseWheel(-120));
  EXPECT_EQ(helper.PositionX(), 0);
  EXPECT_EQ(helper.PositionY(), 0);
}

}  // namespace
}  // namespace tesk::view
