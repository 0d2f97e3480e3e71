#include "app/dialog_units.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct UnitsCase {
  const char* name;
  int units;
  DialogBaseUnits base;
  int across;  // pixels for `units` across
  int down;    // pixels for `units` down
};

// Table rows print as their names.
void PrintTo(const UnitsCase& row, std::ostream* out) { *out << row.name; }

// The system rounds a * b / c to the nearest pixel, halves upwards.
const UnitsCase kUnitsCases[] = {
    {"Zero", 0, {7, 19}, 0, 0},
    {"WholeResult", 8, {7, 19}, 14, 19},
    {"HalfRoundsUp", 6, {7, 16}, 11, 12},
    {"BelowHalfRoundsDown", 5, {7, 19}, 9, 12},
    {"AboveHalfRoundsUp", 3, {7, 19}, 5, 7},
    {"WholeWindowWidth", 362, {7, 19}, 634, 860},
    {"NegativeHalfRoundsAwayFromZero", -6, {7, 16}, -11, -12},
};

class DialogUnits : public ::testing::TestWithParam<UnitsCase> {};

TEST_P(DialogUnits, BecomePixelsAsTheSystemRoundsThem) {
  const UnitsCase& c = GetParam();
  EXPECT_EQ(DialogUnitsToPixelsX(c.units, c.base), c.across);
  EXPECT_EQ(DialogUnitsToPixelsY(c.units, c.base), c.down);
}

INSTANTIATE_TEST_SUITE_P(Table, DialogUnits, ::testing::ValuesIn(kUnitsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogUnits, RectanglesConvertEachField) {
  EXPECT_EQ(DialogUnitsToPixels(QRect(6, 2, 58, 8), {7, 19}), QRect(11, 5, 102, 19));
}

}  // namespace
