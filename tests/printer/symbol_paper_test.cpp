// Bar codes and 2-D codes printed by a whole job: cut out of the paper where
// the display list says they are, and read back by zbarimg.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printer/paper.h"
#include "printer/profile.h"
#include "tests/printer/symbol_scan.h"

namespace tesk::printer {
namespace {

using testing::Bytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes job;
  for (const Bytes& part : parts) job.insert(job.end(), part.begin(), part.end());
  return job;
}

Bytes WithData(Bytes prefix, std::string_view data) {
  prefix.insert(prefix.end(), data.begin(), data.end());
  return prefix;
}

// GS k m n d1..dn.
Bytes Barcode(std::uint8_t system, std::string_view data) {
  return WithData({0x1D, 'k', system, static_cast<std::uint8_t>(data.size())}, data);
}

// GS ( k: QR module size, store, print.
Bytes Qr(std::string_view data, std::uint8_t moduleSize) {
  const auto length = static_cast<std::uint16_t>(data.size() + 3);
  return Concat({{0x1D, '(', 'k', 3, 0, 49, 67, moduleSize},
                 WithData({0x1D, '(', 'k', static_cast<std::uint8_t>(length & 0xFF),
                           static_cast<std::uint8_t>(length >> 8), 49, 80, 48},
                          data),
                 {0x1D, '(', 'k', 3, 0, 49, 81, 48}});
}

// Centred, bars 60 dots tall and 2 dots a module, the readable line below.
const Bytes kPreamble = {0x1B, '@', 0x1B, 'a', 1, 0x1D, 'h', 60, 0x1D, 'w', 2, 0x1D, 'H', 2};

Profile Receipt80() {
  Profile profile;
  std::string message;
  EXPECT_EQ(LoadProfile("80mm-203dpi", profile, message), ProfileResult::Loaded) << message;
  return profile;
}

std::vector<const DrawnItem*> Symbols(const Paper& paper) {
  std::vector<const DrawnItem*> symbols;
  for (const DrawnItem& item : paper.drawn)
    if (item.kind == ItemKind::Symbol) symbols.push_back(&item);
  return symbols;
}

struct PaperScanCase {
  const char* name;
  Bytes command;
  std::string decoded;
  std::string zbarOptions = "";
};

void PrintTo(const PaperScanCase& scan, std::ostream* out) { *out << scan.name; }

class SymbolOnPaper : public ::testing::TestWithParam<PaperScanCase> {};

TEST_P(SymbolOnPaper, IsCentredAndDecodesToTheDataSent) {
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  const PaperScanCase& scan = GetParam();
  const Profile profile = Receipt80();
  Paper paper;
  ASSERT_EQ(PrintJob(Concat({kPreamble, scan.command, {0x0A}}), profile, paper), PaperResult::Printed);
  const auto symbols = Symbols(paper);
  ASSERT_EQ(symbols.size(), 1u);
  const DrawnItem& item = *symbols[0];
  EXPECT_EQ(item.area.x, (profile.printableWidth - item.area.width) / 2);
  testing::TempFolder folder;
  EXPECT_EQ(testing::ScanSymbol(testing::CutOut(paper, item), folder, scan.zbarOptions), scan.decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Symbologies, SymbolOnPaper,
    ::testing::Values(
        PaperScanCase{"UpcA", Barcode(65, "01234567890"), "012345678905", "-Supca.enable"},
        PaperScanCase{"Ean13FirstForm", WithData({0x1D, 'k', 2}, std::string("490123456789\0", 13)),
                      "4901234567894"},
        PaperScanCase{"Ean8", Barcode(68, "96385074"), "96385074"},
        PaperScanCase{"Code39", Barcode(69, "TESK-39"), "TESK-39"},
        PaperScanCase{"Itf", Barcode(70, "12345678"), "12345678"},
        PaperScanCase{"Codabar", Barcode(71, "A40156B"), "A40156B"},
        PaperScanCase{"Code93", Barcode(72, "Tesk 93!"), "Tesk 93!"},
        PaperScanCase{"Code128", Barcode(73, "{BReceipt-42"), "Receipt-42"},
        PaperScanCase{"DataBar", Barcode(75, "0950110153000"), "0109501101530003"},
        PaperScanCase{"QrModule4", Qr("https://example.com/pay?id=42", 4), "https://example.com/pay?id=42"},
        PaperScanCase{"QrModule8", Qr("ORDER 20261211-0042", 8), "ORDER 20261211-0042"}),
    [](const ::testing::TestParamInfo<PaperScanCase>& info) { return std::string(info.param.name); });

TEST(SymbolOnPaper, ARefusedSymbolIsListedWithItsReasonAndTheOthersStayInOrder) {
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  const Bytes job = Concat(
      {kPreamble, Barcode(67, "4901234567894"), Barcode(67, "4901234567890"), Qr("second", 4), {0x0A}});
  Paper paper;
  ASSERT_EQ(PrintJob(job, Receipt80(), paper), PaperResult::Printed);
  const auto symbols = Symbols(paper);
  ASSERT_EQ(symbols.size(), 2u);
  EXPECT_GE(symbols[1]->area.y, symbols[0]->area.y + symbols[0]->area.height);
  testing::TempFolder folder;
  EXPECT_EQ(testing::ScanSymbol(testing::CutOut(paper, *symbols[0]), folder), "4901234567894");
  EXPECT_EQ(testing::ScanSymbol(testing::CutOut(paper, *symbols[1]), folder), "second");

  const std::uint64_t refusedAt = kPreamble.size() + 17;
  bool refused = false;
  for (const NotDrawnItem& item : paper.notDrawn) {
    if (item.offset == refusedAt && item.reason == NotDrawnReason::SymbolRefused) {
      refused = true;
      EXPECT_NE(item.detail.find(SymbolStatusText(SymbolStatus::BadCheckDigit)), std::string::npos)
          << item.detail;
    }
  }
  EXPECT_TRUE(refused);
  // The first bar code's readable line is drawn as text cells of its command.
  std::string readableLine;
  for (const DrawnItem& item : paper.drawn)
    if (item.kind == ItemKind::Text && item.offset == kPreamble.size())
      readableLine += static_cast<char>(item.codePoint);
  EXPECT_EQ(readableLine, "4901234567894");
}

TEST(SymbolOnPaper, InitialiseRestoresTheBarcodeSettings) {
  const Bytes ean = Barcode(67, "4901234567894");
  Paper plain;
  Paper reset;
  ASSERT_EQ(PrintJob(Concat({{0x1B, '@'}, ean}), Receipt80(), plain), PaperResult::Printed);
  ASSERT_EQ(PrintJob(Concat({{0x1D, 'h', 30, 0x1D, 'w', 5, 0x1D, 'H', 3, 0x1B, '@'}, ean}), Receipt80(),
                     reset),
            PaperResult::Printed);
  ASSERT_EQ(Symbols(plain).size(), 1u);
  ASSERT_EQ(Symbols(reset).size(), 1u);
  EXPECT_EQ(Symbols(reset)[0]->area.width, Symbols(plain)[0]->area.width);
  EXPECT_EQ(Symbols(reset)[0]->area.height, Symbols(plain)[0]->area.height);
}

TEST(SymbolOnPaper, ModuleWidthAndHeightComeFromTheSettings) {
  Paper narrow;
  Paper wide;
  const Bytes ean = Barcode(67, "4901234567894");
  ASSERT_EQ(PrintJob(Concat({{0x1D, 'w', 2, 0x1D, 'h', 40}, ean}), Receipt80(), narrow),
            PaperResult::Printed);
  ASSERT_EQ(PrintJob(Concat({{0x1D, 'w', 4, 0x1D, 'h', 90}, ean}), Receipt80(), wide), PaperResult::Printed);
  ASSERT_EQ(Symbols(narrow).size(), 1u);
  ASSERT_EQ(Symbols(wide).size(), 1u);
  // EAN-13 is 95 modules wide; with no readable line the bars are the whole height.
  EXPECT_EQ(Symbols(narrow)[0]->area.width, 95 * 2);
  EXPECT_EQ(Symbols(wide)[0]->area.width, 95 * 4);
  EXPECT_EQ(Symbols(narrow)[0]->area.height, 40);
  EXPECT_EQ(Symbols(wide)[0]->area.height, 90);
}

}  // namespace
}  // namespace tesk::printer
