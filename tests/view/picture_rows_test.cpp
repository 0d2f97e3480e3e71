#include "view/picture_rows.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace tesk::view {
namespace {

struct RowsCase {
  const char* name;
  int exposedTop;
  int exposedBottom;
  int positionY;
  int height;
  bool bottomUp;
  StoredRows expected;
};

// Table rows print as their names.
void PrintTo(const RowsCase& row, std::ostream* out) { *out << row.name; }

const RowsCase kRowsCases[] = {
    {"WholeShortPicture", 0, 300, 0, 100, false, {0, 100}},
    {"ScrolledIntoATallPicture", 0, 300, 500, 1000, false, {500, 300}},
    {"StripUncoveredAtTheBottom", 240, 300, 60, 1000, false, {300, 60}},
    {"ExposedBelowThePicture", 200, 300, 0, 100, false, {0, 0}},
    {"NoPicture", 0, 300, 0, 0, false, {0, 0}},
    {"EndOfAVeryTallReceipt", 0, 600, 199400, 200000, false, {199400, 600}},
    {"BottomUpWholeShortPicture", 0, 300, 0, 100, true, {0, 100}},
    {"BottomUpScrolled", 0, 300, 500, 1000, true, {200, 300}},
    {"BottomUpTopStripIsStoredLast", 0, 60, 0, 1000, true, {940, 60}},
    {"BottomUpEndOfAVeryTallReceipt", 0, 600, 199400, 200000, true, {0, 600}},
};

class RowsToDrawTable : public ::testing::TestWithParam<RowsCase> {};

TEST_P(RowsToDrawTable, OnlyTheExposedRows) {
  const RowsCase& c = GetParam();
  const StoredRows rows = RowsToDraw(c.exposedTop, c.exposedBottom, c.positionY, c.height, c.bottomUp);
  EXPECT_EQ(rows.count, c.expected.count);
  if (c.expected.count > 0) {
    EXPECT_EQ(rows.first, c.expected.first);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RowsToDrawTable, ::testing::ValuesIn(kRowsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibRows, StrideIsWholeWords) {
  EXPECT_EQ(DibRowStride(1), 4);
  EXPECT_EQ(DibRowStride(32), 4);
  EXPECT_EQ(DibRowStride(33), 8);
  EXPECT_EQ(DibRowStride(576), 72);
}

TEST(DibRows, BufferMustHoldEveryRow) {
  EXPECT_TRUE(DibFitsBuffer(576, 2, 144));
  EXPECT_FALSE(DibFitsBuffer(576, 2, 143));
  EXPECT_FALSE(DibFitsBuffer(0, 5, 100));
  EXPECT_FALSE(DibFitsBuffer(8, 0, 4));
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_FALSE(DibFitsBuffer(kMax, kMax, 1u << 20));
}

}  // namespace
}  // namespace tesk::view
