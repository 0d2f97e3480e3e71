#include "view/zoom_steps.h"

#include <gtest/gtest.h>

namespace tesk::view {
namespace {

struct StepCase {
  const char* name;
  double from;
  double in;
  double out;
};

void PrintTo(const StepCase& row, std::ostream* out) { *out << row.name; }

// Whole factors above 1:1, halving below; a factor between steps (from a
// fit) goes to the neighbouring step, never past it.
const StepCase kSteps[] = {
    {"ActualSize", 1, 2, 0.5},
    {"Two", 2, 3, 1},
    {"Four", 4, 6, 3},
    {"Eight", 8, 12, 6},
    {"Largest", 16, 16, 12},
    {"BetweenThreeAndFour", 3.7, 4, 3},
    {"Half", 0.5, 1, 0.25},
    {"BetweenAQuarterAndAHalf", 0.37, 0.5, 0.25},
    {"Smallest", kSmallestZoom, 2 * kSmallestZoom, kSmallestZoom},
};

class ZoomStepTable : public ::testing::TestWithParam<StepCase> {};

TEST_P(ZoomStepTable, StepsToTheNeighbouringFactor) {
  const StepCase& row = GetParam();
  EXPECT_DOUBLE_EQ(NextZoomIn(row.from), row.in);
  EXPECT_DOUBLE_EQ(NextZoomOut(row.from), row.out);
}

INSTANTIATE_TEST_SUITE_P(Table, ZoomStepTable, ::testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ZoomFit, FillsTheRoomWithinTheLimits) {
  EXPECT_DOUBLE_EQ(FitZoom(576, 288), 0.5);
  EXPECT_DOUBLE_EQ(FitZoom(10, 1000), kLargestZoom);
  EXPECT_DOUBLE_EQ(FitZoom(900000, 300), kSmallestZoom);
  EXPECT_DOUBLE_EQ(FitZoom(0, 300), 1);
}

TEST(ZoomLength, RoundsUpAndStaysAnInt) {
  EXPECT_EQ(ScaledLength(576, 1), 576);
  EXPECT_EQ(ScaledLength(3, 0.5), 2);
  EXPECT_EQ(ScaledLength(900000, 16), 14400000);
  EXPECT_EQ(ScaledLength(std::int64_t{1} << 40, 16), 2147483647);
}

}  // namespace
}  // namespace tesk::view
