// GS k commands drawn as the printer draws them, and read back by zbarimg.

#include "printer/barcode_symbol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "tests/printer/symbol_scan.h"

namespace tesk::printer {
namespace {

using testing::Bytes;

Bytes Command(std::initializer_list<std::uint8_t> prefix, std::string_view data, bool nulTerminated) {
  Bytes command(prefix);
  command.insert(command.end(), data.begin(), data.end());
  if (nulTerminated) command.push_back(0);
  return command;
}

// GS k m d1..dk NUL (m 0..6).
Bytes FirstForm(std::uint8_t system, std::string_view data) {
  return Command({0x1D, 'k', system}, data, true);
}

// GS k m n d1..dn (m 65..79).
Bytes SecondForm(std::uint8_t system, std::string_view data) {
  return Command({0x1D, 'k', system, static_cast<std::uint8_t>(data.size())}, data, false);
}

BarcodeSettings Settings(std::uint8_t moduleWidth = 2, std::uint8_t height = 60) {
  BarcodeSettings settings;
  settings.moduleWidth = moduleWidth;
  settings.height = height;
  return settings;
}

struct ScanCase {
  const char* name;
  Bytes command;
  std::string decoded;  // what zbarimg must read
  std::string zbarOptions = "";
};

void PrintTo(const ScanCase& scan, std::ostream* out) { *out << scan.name; }

class BarcodeScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(BarcodeScan, DecodesToTheDataSent) {
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  const ScanCase& scan = GetParam();
  const Symbol symbol = DrawBarcode(scan.command, Settings());
  ASSERT_TRUE(symbol.Drawn()) << SymbolStatusText(symbol.status) << ": " << symbol.detail;
  testing::TempFolder folder;
  EXPECT_EQ(testing::ScanSymbol(symbol.bitmap, folder, scan.zbarOptions), scan.decoded);
}

const ScanCase kScanCases[] = {
    {"UpcAFirstForm", FirstForm(0, "01234567890"), "012345678905", "-Supca.enable"},
    {"UpcAWithCheckDigit", SecondForm(65, "012345678905"), "012345678905", "-Supca.enable"},
    {"UpcESixDigits", SecondForm(66, "123456"), "01234565", "-Supce.enable"},
    {"UpcEFromUpcA", FirstForm(1, "01200000345"), "01234505", "-Supce.enable"},
    {"Ean13", FirstForm(2, "490123456789"), "4901234567894"},
    {"Ean13WithCheckDigit", SecondForm(67, "4901234567894"), "4901234567894"},
    {"Ean8", SecondForm(68, "9638507"), "96385074"},
    {"Ean8WithCheckDigit", FirstForm(3, "96385074"), "96385074"},
    {"UpcEWithCheckDigit", SecondForm(66, "01234565"), "01234565", "-Supce.enable"},
    {"Code39", FirstForm(4, "TESK-39 $/+%"), "TESK-39 $/+%"},
    {"Code39WithStartStop", SecondForm(69, "*ABC123*"), "ABC123"},
    {"Itf", FirstForm(5, "12345678"), "12345678"},
    {"Codabar", SecondForm(71, "A40156B"), "A40156B"},
    {"Code93", SecondForm(72, "Tesk 93!"), "Tesk 93!"},
    {"Code128SetB", SecondForm(73, "{BReceipt-42"), "Receipt-42"},
    {"Code128SetC", SecondForm(73, std::string("{C\x0c\x22\x38\x4e", 6)), "12345678"},
    {"Code128SetsMixed", SecondForm(73, std::string("{BNo.{C\x0c\x22", 9)), "No.1234"},
    {"Code128Auto", SecondForm(79, "order 20261211-0042"), "order 20261211-0042"},
    {"Gs1128", SecondForm(74, "(01)09501101530003(10)AB12"), std::string("010950110153000310AB12")},
    {"DataBarOmnidirectional", SecondForm(75, "0950110153000"), "0109501101530003"},
    {"DataBarTruncated", SecondForm(76, "0950110153000"), "0109501101530003"},
    {"DataBarExpanded", SecondForm(78, "0109501101530003{13202012345{110ABC"),
     std::string("01095011015300033202012345") + "10ABC"},
};

INSTANTIATE_TEST_SUITE_P(EverySymbology, BarcodeScan, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  Bytes command;
  SymbolStatus status;
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) { *out << refusal.name; }

class BarcodeRefusal : public ::testing::TestWithParam<RefusalCase> {};

// What the printer would not print is not drawn, and says why.
TEST_P(BarcodeRefusal, DrawsNothingAndNamesTheReason) {
  const Symbol symbol = DrawBarcode(GetParam().command, Settings());
  EXPECT_EQ(symbol.status, GetParam().status) << SymbolStatusText(symbol.status) << ": " << symbol.detail;
  EXPECT_EQ(symbol.bitmap.width, 0u);
  EXPECT_TRUE(symbol.bitmap.rows.empty());
}

const RefusalCase kRefusalCases[] = {
    {"UpcABadCheckDigit", SecondForm(65, "012345678904"), SymbolStatus::BadCheckDigit},
    {"Ean13BadCheckDigit", FirstForm(2, "4901234567890"), SymbolStatus::BadCheckDigit},
    {"Ean8BadCheckDigit", SecondForm(68, "96385070"), SymbolStatus::BadCheckDigit},
    {"UpcEBadCheckDigit", SecondForm(66, "01234566"), SymbolStatus::BadCheckDigit},
    {"Ean13TooShort", FirstForm(2, "49012345"), SymbolStatus::BadLength},
    {"UpcALetter", FirstForm(0, "0123456789A"), SymbolStatus::InvalidCharacter},
    {"UpcENotSuppressible", SecondForm(66, "01234567890"), SymbolStatus::InvalidData},
    {"ItfOddLength", SecondForm(70, "12345"), SymbolStatus::OddLength},
    {"Code39LowerCase", FirstForm(4, "abc"), SymbolStatus::InvalidCharacter},
    {"CodabarWithoutStartStop", SecondForm(71, "40156"), SymbolStatus::InvalidData},
    {"Code93PastAscii", SecondForm(72, "caf\xc3\xa9"), SymbolStatus::InvalidCharacter},
    {"Code128WithoutCodeSet", SecondForm(73, "Receipt"), SymbolStatus::InvalidData},
    {"Code128SetCPastNinetyNine", SecondForm(73, std::string("{C\x64", 3)), SymbolStatus::InvalidCharacter},
    {"Code128Fnc2", SecondForm(73, "{B{2AB"), SymbolStatus::Unsupported},
    {"DataBarLimitedLeadingTwo", SecondForm(77, "2950110153000"), SymbolStatus::InvalidData},
    {"UndefinedFirstFormSystem", FirstForm(7, "123"), SymbolStatus::UndefinedSymbology},
    {"UndefinedSecondFormSystem", SecondForm(80, "123"), SymbolStatus::UndefinedSymbology},
    {"FirstFormWithoutNul", Bytes{0x1D, 'k', 2, '4', '9'}, SymbolStatus::BadLength},
    {"SecondFormCutShort", Bytes{0x1D, 'k', 67, 13, '4', '9'}, SymbolStatus::BadLength},
};

INSTANTIATE_TEST_SUITE_P(InvalidData, BarcodeRefusal, ::testing::ValuesIn(kRefusalCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The widths of the dark runs of one dot row, left to right.
std::vector<std::uint32_t> DarkRuns(const SymbolBitmap& bitmap, std::uint32_t y) {
  std::vector<std::uint32_t> runs;
  std::uint32_t run = 0;
  for (std::uint32_t x = 0; x <= bitmap.width; ++x) {
    if (x < bitmap.width && bitmap.Dot(x, y)) {
      ++run;
    } else if (run) {
      runs.push_back(run);
      run = 0;
    }
  }
  return runs;
}

class BarcodeGeometry : public ::testing::TestWithParam<std::tuple<int, int>> {};

// GS w sets the narrow bar in dots, GS h the bar height: measured on the drawing.
TEST_P(BarcodeGeometry, ModuleWidthAndHeightInDots) {
  const auto [moduleWidth, height] = GetParam();
  // ITF: every narrow bar is one module, every wide one three.
  const Symbol symbol =
      DrawBarcode(SecondForm(70, "1234567890"),
                  Settings(static_cast<std::uint8_t>(moduleWidth), static_cast<std::uint8_t>(height)));
  ASSERT_TRUE(symbol.Drawn());
  EXPECT_EQ(symbol.bitmap.height, static_cast<std::uint32_t>(height));
  const std::vector<std::uint32_t> runs = DarkRuns(symbol.bitmap, 0);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(*std::min_element(runs.begin(), runs.end()), static_cast<std::uint32_t>(moduleWidth));
  EXPECT_EQ(*std::max_element(runs.begin(), runs.end()), static_cast<std::uint32_t>(3 * moduleWidth));
  // 10 digits: start (4 modules), 5 pairs of 18, stop (5 modules).
  EXPECT_EQ(symbol.bitmap.width, static_cast<std::uint32_t>((4 + 5 * 18 + 5) * moduleWidth));
  EXPECT_TRUE(symbol.bitmap.Dot(0, 0)) << "the first bar starts at the symbol's left edge";
  for (std::uint32_t y = 1; y < symbol.bitmap.height; ++y)
    ASSERT_EQ(DarkRuns(symbol.bitmap, y), runs) << "row " << y << " differs from the first";
  if (testing::ZbarAvailable() && moduleWidth >= 2) {
    testing::TempFolder folder;
    EXPECT_EQ(testing::ScanSymbol(symbol.bitmap, folder), "1234567890");
  }
}

INSTANTIATE_TEST_SUITE_P(GsWAndGsH, BarcodeGeometry,
                         ::testing::Combine(::testing::Values(1, 2, 3, 4, 5, 6),
                                            ::testing::Values(1, 50, 162, 255)),
                         [](const auto& info) {
                           return "Width" + std::to_string(std::get<0>(info.param)) + "Height" +
                                  std::to_string(std::get<1>(info.param));
                         });

TEST(BarcodeGeometry, WiderThanThePrintAreaIsNotPrinted) {
  BarcodeSettings settings = Settings(3);
  const Bytes command = SecondForm(67, "4901234567894");  // 95 modules: 285 dots
  settings.printAreaWidth = 285;
  EXPECT_TRUE(DrawBarcode(command, settings).Drawn());
  settings.printAreaWidth = 284;
  EXPECT_EQ(DrawBarcode(command, settings).status, SymbolStatus::TooWide);
}

struct HriCase {
  std::uint8_t gsH;
  std::uint8_t gsF;
  std::vector<std::int32_t>
      lineTops;  // where each reserved line starts; the bars follow the first when above
  std::uint32_t barsTop;
};

void PrintTo(const HriCase& hri, std::ostream* out) {
  *out << "GS H " << int{hri.gsH} << ", GS f " << int{hri.gsF};
}

class HriPlacement : public ::testing::TestWithParam<HriCase> {};

// The human-readable line's rectangle is kept white above and/or below the
// bars, one font cell high and as wide as its text, centred on the bars.
TEST_P(HriPlacement, ReservesTheLineWhereGsHPutsIt) {
  const HriCase& hri = GetParam();
  BarcodeSettings settings = Settings(2, 40);
  ASSERT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'H', hri.gsH}));
  ASSERT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'f', hri.gsF}));
  const Symbol symbol = DrawBarcode(SecondForm(67, "4901234567894"), settings);
  ASSERT_TRUE(symbol.Drawn());
  const std::uint32_t cellWidth = (hri.gsF & 1) ? 9 : 12;
  const std::uint32_t cellHeight = (hri.gsF & 1) ? 17 : 24;
  EXPECT_EQ(symbol.hri.text, "4901234567894");
  EXPECT_EQ(symbol.hri.font, hri.gsF & 1);
  ASSERT_EQ(symbol.hri.rectangles.size(), hri.lineTops.size());
  const std::uint32_t barsWidth = 95 * 2;
  EXPECT_EQ(symbol.bitmap.width, std::max(barsWidth, 13 * cellWidth));
  EXPECT_EQ(symbol.bitmap.height, 40 + cellHeight * hri.lineTops.size());
  for (std::size_t line = 0; line < hri.lineTops.size(); ++line) {
    const HriRectangle& rectangle = symbol.hri.rectangles[line];
    EXPECT_EQ(rectangle.y, hri.lineTops[line] == 0 ? 0 : static_cast<std::int32_t>(hri.barsTop + 40));
    EXPECT_EQ(rectangle.width, 13 * cellWidth);
    EXPECT_EQ(rectangle.height, cellHeight);
    EXPECT_EQ(rectangle.x, static_cast<std::int32_t>((symbol.bitmap.width - rectangle.width) / 2));
    for (std::uint32_t y = 0; y < rectangle.height; ++y)
      for (std::uint32_t x = 0; x < rectangle.width; ++x)
        ASSERT_FALSE(symbol.bitmap.Dot(rectangle.x + x, rectangle.y + y)) << "the text's place is left white";
  }
  // The bars start where the line above ends (or at the top).
  const std::uint32_t barsLeft = (symbol.bitmap.width - barsWidth) / 2;
  EXPECT_TRUE(symbol.bitmap.Dot(barsLeft, hri.barsTop));
  if (hri.barsTop > 0) {
    EXPECT_FALSE(symbol.bitmap.Dot(barsLeft, hri.barsTop - 1));
  }
}

// lineTops: 0 marks the line above the bars, 1 the line below them.
INSTANTIATE_TEST_SUITE_P(GsH, HriPlacement,
                         ::testing::Values(HriCase{0, 0, {}, 0}, HriCase{48, 0, {}, 0},
                                           HriCase{1, 0, {0}, 24}, HriCase{49, 1, {0}, 17},
                                           HriCase{2, 0, {1}, 0}, HriCase{50, 1, {1}, 0},
                                           HriCase{3, 0, {0, 1}, 24}, HriCase{51, 1, {0, 1}, 17}),
                         [](const auto& info) {
                           return "H" + std::to_string(info.param.gsH) + "Font" +
                                  std::to_string(info.param.gsF);
                         });

TEST(BarcodeSettings, GsCommandsSetAndOutOfRangeValuesAreIgnored) {
  BarcodeSettings settings;
  EXPECT_EQ(settings.height, 162);
  EXPECT_EQ(settings.moduleWidth, 3);
  EXPECT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'h', 80}));
  EXPECT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'h', 0}));
  EXPECT_EQ(settings.height, 80);
  EXPECT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'w', 5}));
  EXPECT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'w', 7}));
  EXPECT_EQ(settings.moduleWidth, 5);
  EXPECT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'H', 4}));
  EXPECT_EQ(settings.hriPosition, HriPosition::None);
  EXPECT_TRUE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'f', 2}));
  EXPECT_EQ(settings.hriFont, 0);
  EXPECT_FALSE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'k', 2}));
  EXPECT_FALSE(ApplyBarcodeSetting(settings, Bytes{0x1D, 'h'}));
}

}  // namespace
}  // namespace tesk::printer
