// A bar code's human-readable line on the paper: text cells of the GS k
// command in font A or B, centred over and/or under the bars, and a symbol
// that zbarimg still reads with its line drawn.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printer/paper.h"
#include "printer/profile.h"
#include "tests/printer/symbol_scan.h"

namespace tesk::printer {
namespace {

using testing::Bytes;

Bytes Job(Bytes settings, std::uint8_t system, std::string_view data) {
  // Centred, bars 60 dots tall, 2 dots a module.
  Bytes job = {0x1B, '@', 0x1B, 'a', 1, 0x1D, 'h', 60, 0x1D, 'w', 2};
  job.insert(job.end(), settings.begin(), settings.end());
  job.insert(job.end(), {0x1D, 'k', system, static_cast<std::uint8_t>(data.size())});
  job.insert(job.end(), data.begin(), data.end());
  return job;
}

struct Cell {
  char32_t codePoint;
  std::int64_t x;
  std::int64_t y;
  std::int64_t width;
  std::int64_t height;
  bool operator==(const Cell&) const = default;
};

void PrintTo(const Cell& cell, std::ostream* out) {
  *out << "U+" << std::hex << static_cast<unsigned>(cell.codePoint) << std::dec << " at " << cell.x << ","
       << cell.y << " " << cell.width << "x" << cell.height;
}

// `text` cell after cell from (x, y), `width` x `height` each.
std::vector<Cell> Line(std::string_view text, std::int64_t x, std::int64_t y, std::int64_t width,
                       std::int64_t height) {
  std::vector<Cell> cells;
  for (const char character : text) {
    cells.push_back({static_cast<char32_t>(character), x, y, width, height});
    x += width;
  }
  return cells;
}

std::vector<Cell> Joined(std::vector<Cell> first, const std::vector<Cell>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

struct ReadableLineCase {
  const char* name;
  Bytes job;
  std::vector<Cell> cells;
};

void PrintTo(const ReadableLineCase& line, std::ostream* out) { *out << line.name; }

Profile Receipt80() {
  Profile profile;
  std::string message;
  EXPECT_EQ(LoadProfile("80mm-203dpi", profile, message), ProfileResult::Loaded) << message;
  return profile;
}

std::vector<Cell> TextCells(const Paper& paper) {
  std::vector<Cell> cells;
  for (const DrawnItem& item : paper.drawn)
    if (item.kind == ItemKind::Text)
      cells.push_back({item.codePoint, item.area.x, item.area.y, item.area.width, item.area.height});
  return cells;
}

const DrawnItem* SymbolItem(const Paper& paper) {
  for (const DrawnItem& item : paper.drawn)
    if (item.kind == ItemKind::Symbol) return &item;
  return nullptr;
}

// EAN-13 is 95 modules, 190 dots here, at (576 - 190) / 2 = 193. Its 13
// digits take 156 dots in font A (12 x 24), 117 in font B (9 x 17).
// CODE39 "TESK-39" with start and stop is 9 characters of 16 modules less
// the last gap: 143 modules, 286 dots at 145; its line shows the start and
// stop asterisks, 108 dots in font A, 81 in font B.
const std::string kEan = "4901234567894";
const std::string kCode39 = "TESK-39";
const std::string kCode39Line = "*TESK-39*";

class ReadableLine : public ::testing::TestWithParam<ReadableLineCase> {};

TEST_P(ReadableLine, IsDrawnAsCellsCentredOnTheBars) {
  Paper paper;
  ASSERT_EQ(PrintJob(GetParam().job, Receipt80(), paper), PaperResult::Printed);
  EXPECT_EQ(TextCells(paper), GetParam().cells);
  for (const NotDrawnItem& item : paper.notDrawn)
    EXPECT_NE(item.reason, NotDrawnReason::HriTextNotDrawn) << "the fonts of the bootstrap draw every digit";
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ReadableLine,
    ::testing::Values(
        ReadableLineCase{"Ean13Below", Job({0x1D, 'H', 2}, 67, kEan), Line(kEan, 193 + 17, 60, 12, 24)},
        ReadableLineCase{"Ean13Above", Job({0x1D, 'H', 49}, 67, kEan), Line(kEan, 193 + 17, 0, 12, 24)},
        ReadableLineCase{"Ean13Both", Job({0x1D, 'H', 3}, 67, kEan),
                         Joined(Line(kEan, 193 + 17, 0, 12, 24), Line(kEan, 193 + 17, 24 + 60, 12, 24))},
        ReadableLineCase{"Ean13FontB", Job({0x1D, 'H', 2, 0x1D, 'f', 1}, 67, kEan),
                         Line(kEan, 193 + 36, 60, 9, 17)},
        ReadableLineCase{"Ean13FontBBoth", Job({0x1D, 'H', 51, 0x1D, 'f', 49}, 67, kEan),
                         Joined(Line(kEan, 193 + 36, 0, 9, 17), Line(kEan, 193 + 36, 17 + 60, 9, 17))},
        ReadableLineCase{"Code39Below", Job({0x1D, 'H', 2}, 69, kCode39),
                         Line(kCode39Line, 145 + 89, 60, 12, 24)},
        ReadableLineCase{"Code39Above", Job({0x1D, 'H', 1}, 69, kCode39),
                         Line(kCode39Line, 145 + 89, 0, 12, 24)},
        ReadableLineCase{"Code39BothFontB", Job({0x1D, 'H', 3, 0x1D, 'f', 1}, 69, kCode39),
                         Joined(Line(kCode39Line, 145 + 102, 0, 9, 17),
                                Line(kCode39Line, 145 + 102, 17 + 60, 9, 17))},
        ReadableLineCase{"NoneByDefault", Job({}, 67, kEan), {}},
        // The line has none of the character modes: no size, no reverse, no rotation.
        ReadableLineCase{"CharacterModesLeaveItAlone",
                         Job({0x1D, '!', 0x11, 0x1D, 'B', 1, 0x1B, 'V', 1, 0x1B, '-', 1, 0x1D, 'H', 2}, 67,
                             kEan),
                         Line(kEan, 193 + 17, 60, 12, 24)}),
    [](const ::testing::TestParamInfo<ReadableLineCase>& info) { return std::string(info.param.name); });

TEST(ReadableLine, TurnsWithTheSymbolWhenUpsideDown) {
  // Turned half-way, the line below the bars lands above them and reads
  // from the right: the first digit sent is the rightmost cell.
  Paper paper;
  ASSERT_EQ(PrintJob(Job({0x1B, '{', 1, 0x1D, 'H', 2}, 67, kEan), Receipt80(), paper), PaperResult::Printed);
  std::vector<Cell> expected = Line(kEan, 0, 0, 12, 24);
  for (std::size_t index = 0; index < expected.size(); ++index)
    expected[index].x = 193 + 17 + static_cast<std::int64_t>(expected.size() - 1 - index) * 12;
  EXPECT_EQ(TextCells(paper), expected);
}

struct ScanCase {
  const char* name;
  Bytes job;
  std::string decoded;
};

void PrintTo(const ScanCase& scan, std::ostream* out) { *out << scan.name; }

// The symbol cut out of the paper with its line: the text keeps clear of the
// bars and their quiet zone, so the decoder still reads the data.
class ReadableLineScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ReadableLineScan, LeavesTheSymbolReadable) {
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  Paper paper;
  ASSERT_EQ(PrintJob(GetParam().job, Receipt80(), paper), PaperResult::Printed);
  const DrawnItem* symbol = SymbolItem(paper);
  ASSERT_NE(symbol, nullptr);
  ASSERT_FALSE(TextCells(paper).empty());
  testing::TempFolder folder;
  EXPECT_EQ(testing::ScanSymbol(testing::CutOut(paper, *symbol), folder), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Symbologies, ReadableLineScan,
    ::testing::Values(ScanCase{"Ean13Both", Job({0x1D, 'H', 3}, 67, kEan), kEan},
                      ScanCase{"Code39BothFontB", Job({0x1D, 'H', 3, 0x1D, 'f', 1}, 69, kCode39), kCode39},
                      ScanCase{"Ean13UpsideDown", Job({0x1B, '{', 1, 0x1D, 'H', 2}, 67, kEan), kEan}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tesk::printer
