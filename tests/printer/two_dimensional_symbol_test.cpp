// GS ( k functions run through the state machine, drawn, measured in dots and,
// where zbarimg reads the symbology, read back to the data stored.

#include "printer/two_dimensional_symbol.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/printer/symbol_scan.h"

namespace tesk::printer {
namespace {

using testing::Bytes;

// GS ( k pL pH cn fn parameters.
Bytes Function(std::uint8_t cn, std::uint8_t fn, std::string_view parameters) {
  const std::size_t length = parameters.size() + 2;
  Bytes command{
      0x1D, '(', 'k', static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>(length >> 8),
      cn,   fn};
  for (char byte : parameters) command.push_back(static_cast<std::uint8_t>(byte));
  return command;
}

std::string Parameters(std::initializer_list<std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Runs the commands in order; returns what the last one printed.
Symbol RunFunctions(TwoDimensionalSymbols& symbols, std::initializer_list<Bytes> commands) {
  TwoDimensionalResult last;
  for (const Bytes& command : commands) {
    last = symbols.Apply(command);
    EXPECT_NE(last.action, TwoDimensionalAction::Rejected) << SymbolStatusText(last.status);
  }
  EXPECT_EQ(last.action, TwoDimensionalAction::Print);
  return last.symbol;
}

// The length of the dark run that starts the symbol's first row.
std::uint32_t FirstDarkRun(const SymbolBitmap& bitmap) {
  std::uint32_t run = 0;
  while (run < bitmap.width && bitmap.Dot(run, 0)) ++run;
  return run;
}

constexpr std::uint8_t kPdf417 = 48, kQr = 49, kMaxiCode = 50, kDataBar = 51, kComposite = 52, kAztec = 53,
                       kDataMatrix = 54;
constexpr std::uint8_t kStore = 80, kPrint = 81;
const std::string kPrintParameters = Parameters({48});

std::string Stored(std::string_view data) { return "0" + std::string(data); }  // m = 48 ('0'), then the data

class QrScan : public ::testing::TestWithParam<std::tuple<int, int>> {};

// QR at every error level and several module sizes: each module is the size
// in dots, and zbarimg reads back exactly the stored data.
TEST_P(QrScan, ModuleSizeInDotsAndDecodesToTheStoredData) {
  const auto [moduleSize, level] = GetParam();
  const std::string data = "https://tesk.example/r/20261211-0042?total=12.80";
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kQr, 67, Parameters({static_cast<std::uint8_t>(moduleSize)})),
                             Function(kQr, 69, Parameters({static_cast<std::uint8_t>(48 + level)})),
                             Function(kQr, kStore, Stored(data)), Function(kQr, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << SymbolStatusText(symbol.status) << ": " << symbol.detail;
  EXPECT_EQ(symbol.bitmap.width, symbol.bitmap.height);
  EXPECT_EQ(symbol.bitmap.width % moduleSize, 0u);
  const std::uint32_t modules = symbol.bitmap.width / moduleSize;
  EXPECT_EQ((modules - 21) % 4, 0u) << "a QR symbol is 21 + 4k modules wide";
  EXPECT_EQ(FirstDarkRun(symbol.bitmap), 7u * moduleSize) << "the finder pattern is 7 modules";
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  testing::TempFolder folder;
  EXPECT_EQ(testing::ScanSymbol(symbol.bitmap, folder, "", moduleSize == 1 ? 3 : 1), data);
}

INSTANTIATE_TEST_SUITE_P(SizesAndLevels, QrScan,
                         ::testing::Combine(::testing::Values(1, 2, 3, 5, 8, 16),
                                            ::testing::Values(0, 1, 2, 3)),
                         [](const auto& info) {
                           return "Module" + std::to_string(std::get<0>(info.param)) + "Level" +
                                  std::string(1, "LMQH"[std::get<1>(info.param)]);
                         });

TEST(QrCode, BytesOfAnyValueScanBack) {
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  const std::string data =
      "Gr\xc3\xbc\xc3\x9f"
      "e \xe6\x9d\xb1\xe4\xba\xac 0042";
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kQr, kStore, Stored(data)), Function(kQr, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn());
  testing::TempFolder folder;
  // Without -Sbinary zbarimg guesses a character set and converts the bytes.
  EXPECT_EQ(testing::ScanSymbol(symbol.bitmap, folder, "-Sbinary"), data);
}

TEST(QrCode, DefaultsAreModelTwoModuleThreeLevelL) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kQr, kStore, Stored("1")), Function(kQr, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn());
  EXPECT_EQ(symbol.bitmap.width, 21u * 3);
}

TEST(QrCode, StoredDataStaysUntilReplacedAndPrintsAgain) {
  TwoDimensionalSymbols symbols;
  const Bytes print = Function(kQr, kPrint, kPrintParameters);
  EXPECT_EQ(symbols.Apply(print).symbol.status, SymbolStatus::NothingStored);
  const Symbol first = RunFunctions(symbols, {Function(kQr, kStore, Stored("first")), print});
  const Symbol again = RunFunctions(symbols, {print});
  EXPECT_EQ(again.bitmap.rows, first.bitmap.rows);
  const Symbol replaced =
      RunFunctions(symbols,
                   {Function(kQr, kStore, Stored("second, longer than the first: 0123456789")), print});
  EXPECT_NE(replaced.bitmap.rows, first.bitmap.rows);
  symbols.Reset();
  EXPECT_EQ(symbols.Apply(print).symbol.status, SymbolStatus::NothingStored);
}

struct RejectedCase {
  const char* name;
  Bytes command;
  SymbolStatus status;
};

void PrintTo(const RejectedCase& rejected, std::ostream* out) { *out << rejected.name; }

class RejectedFunction : public ::testing::TestWithParam<RejectedCase> {};

// A function out of range is ignored and leaves every setting as it was.
TEST_P(RejectedFunction, IsIgnoredAndChangesNothing) {
  TwoDimensionalSymbols symbols;
  const TwoDimensionalResult result = symbols.Apply(GetParam().command);
  EXPECT_EQ(result.action, TwoDimensionalAction::Rejected);
  EXPECT_EQ(result.status, GetParam().status);
  const TwoDimensionalSymbols defaults;
  EXPECT_EQ(symbols.qr.moduleSize, defaults.qr.moduleSize);
  EXPECT_EQ(symbols.qr.errorCorrection, defaults.qr.errorCorrection);
  EXPECT_EQ(symbols.pdf417.moduleWidth, defaults.pdf417.moduleWidth);
  EXPECT_EQ(symbols.pdf417.rows, defaults.pdf417.rows);
  EXPECT_EQ(symbols.aztec.layers, defaults.aztec.layers);
  EXPECT_EQ(symbols.maxiCode.mode, defaults.maxiCode.mode);
}

const RejectedCase kRejectedCases[] = {
    {"QrModuleZero", Function(kQr, 67, Parameters({0})), SymbolStatus::BadParameter},
    {"QrModuleSeventeen", Function(kQr, 67, Parameters({17})), SymbolStatus::BadParameter},
    {"QrLevelPastH", Function(kQr, 69, Parameters({52})), SymbolStatus::BadParameter},
    {"Pdf417ModuleWidthOne", Function(kPdf417, 67, Parameters({1})), SymbolStatus::BadParameter},
    {"Pdf417TwoRows", Function(kPdf417, 66, Parameters({2})), SymbolStatus::BadParameter},
    {"Pdf417LevelNine", Function(kPdf417, 69, Parameters({48, 57})), SymbolStatus::BadParameter},
    {"AztecCompactFiveLayers", Function(kAztec, 66, Parameters({49, 5})), SymbolStatus::BadParameter},
    {"MaxiCodeModeOne", Function(kMaxiCode, 65, Parameters({49})), SymbolStatus::BadParameter},
    {"StoreWithoutM48", Function(kQr, kStore, "1data"), SymbolStatus::BadParameter},
    {"UndefinedSymbology", Function(55, kPrint, kPrintParameters), SymbolStatus::UndefinedSymbology},
    {"UndefinedFunction", Function(kQr, 99, Parameters({1})), SymbolStatus::Unsupported},
    {"CutShort", Bytes{0x1D, '(', 'k', 9, 0, kQr, kStore, '0', 'a'}, SymbolStatus::BadLength},
};

INSTANTIATE_TEST_SUITE_P(OutOfRange, RejectedFunction, ::testing::ValuesIn(kRejectedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QrCode, ModelOneIsListedAsNotDrawn) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kQr, 65, Parameters({49, 0})), Function(kQr, kStore, Stored("1")),
                             Function(kQr, kPrint, kPrintParameters)});
  EXPECT_EQ(symbol.status, SymbolStatus::Unsupported);
  EXPECT_TRUE(symbol.bitmap.rows.empty());
}

TEST(QrCode, MicroQrIsElevenToSeventeenModules) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols,
                   {Function(kQr, 65, Parameters({51, 0})), Function(kQr, 67, Parameters({4})),
                    Function(kQr, kStore, Stored("12345")), Function(kQr, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
  EXPECT_EQ(symbol.bitmap.width, 11u * 4);
  EXPECT_EQ(FirstDarkRun(symbol.bitmap), 7u * 4);
}

TEST(QrCode, TooMuchDataIsNotDrawn) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol = RunFunctions(symbols, {Function(kQr, 69, Parameters({51})),
                                               Function(kQr, kStore, Stored(std::string(3000, 'x'))),
                                               Function(kQr, kPrint, kPrintParameters)});
  EXPECT_EQ(symbol.status, SymbolStatus::DataTooLong);
}

TEST(QrCode, WiderThanThePrintAreaIsNotPrinted) {
  TwoDimensionalSymbols symbols;
  symbols.printAreaWidth = 62;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kQr, kStore, Stored("1")), Function(kQr, kPrint, kPrintParameters)});
  EXPECT_EQ(symbol.status, SymbolStatus::TooWide);
}

class Pdf417Geometry : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Columns and rows as set; each module GS ( k fn 67 dots wide, each row
// fn 68 module widths tall.
TEST_P(Pdf417Geometry, ColumnsRowsModuleWidthAndRowHeight) {
  const auto [moduleWidth, rowHeight] = GetParam();
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kPdf417, 65, Parameters({4})), Function(kPdf417, 66, Parameters({12})),
                             Function(kPdf417, 67, Parameters({static_cast<std::uint8_t>(moduleWidth)})),
                             Function(kPdf417, 68, Parameters({static_cast<std::uint8_t>(rowHeight)})),
                             Function(kPdf417, 69, Parameters({48, 50})),
                             Function(kPdf417, kStore, Stored("PDF417 on the paper 20261211")),
                             Function(kPdf417, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
  // Start 17 modules, left and right row indicators 17 each, 4 data columns of 17, stop 18.
  EXPECT_EQ(symbol.bitmap.width, (17u * 4 + 69) * moduleWidth);
  EXPECT_EQ(symbol.bitmap.height, 12u * moduleWidth * rowHeight);
  EXPECT_EQ(FirstDarkRun(symbol.bitmap), 8u * moduleWidth) << "the start pattern opens with an 8-module bar";
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  testing::TempFolder folder;
  const std::string read = testing::ScanSymbol(symbol.bitmap, folder, "-Spdf417.enable");
  if (read.empty()) GTEST_SKIP() << "this zbarimg does not read PDF417";
  EXPECT_EQ(read, "PDF417 on the paper 20261211");
}

INSTANTIATE_TEST_SUITE_P(Fn67AndFn68, Pdf417Geometry,
                         ::testing::Combine(::testing::Values(2, 3, 8), ::testing::Values(2, 5, 8)),
                         [](const auto& info) {
                           return "Module" + std::to_string(std::get<0>(info.param)) + "Row" +
                                  std::to_string(std::get<1>(info.param));
                         });

TEST(Pdf417, TruncatedDropsTheRightIndicatorAndStop) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols,
                   {Function(kPdf417, 65, Parameters({3})), Function(kPdf417, 67, Parameters({2})),
                    Function(kPdf417, 70, Parameters({1})), Function(kPdf417, kStore, Stored("truncated")),
                    Function(kPdf417, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
  EXPECT_EQ(symbol.bitmap.width, (17u * 3 + 17 + 17 + 1) * 2);
}

TEST(DataMatrix, SizeSetByColumnsAndRows) {
  struct SizeCase {
    std::uint8_t shape, columns, rows;
    std::uint32_t width, height;
  };
  const SizeCase cases[] = {
      {48, 0, 0, 10, 10}, {48, 16, 16, 16, 16}, {48, 32, 0, 32, 32}, {49, 0, 0, 18, 8}, {49, 36, 16, 36, 16}};
  for (const SizeCase& size : cases) {
    TwoDimensionalSymbols symbols;
    const Symbol symbol =
        RunFunctions(symbols,
                     {Function(kDataMatrix, 66, Parameters({size.shape, size.columns, size.rows})),
                      Function(kDataMatrix, 67, Parameters({5})), Function(kDataMatrix, kStore, Stored("DM")),
                      Function(kDataMatrix, kPrint, kPrintParameters)});
    ASSERT_TRUE(symbol.Drawn()) << int{size.columns} << "x" << int{size.rows} << ": " << symbol.detail;
    EXPECT_EQ(symbol.bitmap.width, size.width * 5) << int{size.columns} << "x" << int{size.rows};
    EXPECT_EQ(symbol.bitmap.height, size.height * 5) << int{size.columns} << "x" << int{size.rows};
  }
}

TEST(DataMatrix, DataBeyondTheChosenSizeIsNotDrawn) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol =
      RunFunctions(symbols, {Function(kDataMatrix, 66, Parameters({48, 10, 10})),
                             Function(kDataMatrix, kStore, Stored("more than a 10 x 10 symbol holds")),
                             Function(kDataMatrix, kPrint, kPrintParameters)});
  EXPECT_EQ(symbol.status, SymbolStatus::DataTooLong);
}

TEST(Aztec, LayersAndModuleSize) {
  struct LayerCase {
    std::uint8_t mode, layers;
    std::uint32_t modules;
  };
  const LayerCase cases[] = {{49, 1, 15}, {49, 4, 27}, {48, 1, 19}, {48, 2, 23}};
  for (const LayerCase& layer : cases) {
    TwoDimensionalSymbols symbols;
    const Symbol symbol = RunFunctions(symbols, {Function(kAztec, 66, Parameters({layer.mode, layer.layers})),
                                                 Function(kAztec, 67, Parameters({4})),
                                                 Function(kAztec, kStore, Stored("Aztec")),
                                                 Function(kAztec, kPrint, kPrintParameters)});
    ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
    EXPECT_EQ(symbol.bitmap.width, layer.modules * 4);
    EXPECT_EQ(symbol.bitmap.height, layer.modules * 4);
  }
}

TEST(MaxiCode, FixedSizeOnThePaper) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol = RunFunctions(symbols, {Function(kMaxiCode, 65, Parameters({52})),
                                               Function(kMaxiCode, kStore, Stored("MaxiCode mode 4")),
                                               Function(kMaxiCode, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
  // 28.14 mm x 26.91 mm at 8 dots per millimetre.
  EXPECT_EQ(symbol.bitmap.width, 225u);
  EXPECT_EQ(symbol.bitmap.height, 215u);
}

TEST(MaxiCode, ModeTwoTakesPostalCodeCountryAndService) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol = RunFunctions(symbols, {Function(kMaxiCode, 65, Parameters({50})),
                                               Function(kMaxiCode, kStore,
                                                        Stored("152382802\x1d"
                                                               "840\x1d"
                                                               "001\x1d"
                                                               "1Z00004951")),
                                               Function(kMaxiCode, kPrint, kPrintParameters)});
  EXPECT_TRUE(symbol.Drawn()) << symbol.detail;
  const Symbol missing = RunFunctions(symbols, {Function(kMaxiCode, kStore, Stored("no fields")),
                                                Function(kMaxiCode, kPrint, kPrintParameters)});
  EXPECT_EQ(missing.status, SymbolStatus::InvalidData);
}

TEST(DataBar, StackedRowsInModuleWidths) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol = RunFunctions(symbols, {Function(kDataBar, 67, Parameters({3})),
                                               Function(kDataBar, kStore, Stored("H0950110153000")),
                                               Function(kDataBar, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
  // Two rows of 50 modules: 5 and 7 modules tall, a one-module separator between.
  EXPECT_EQ(symbol.bitmap.width, 50u * 3);
  EXPECT_EQ(symbol.bitmap.height, 13u * 3);
}

TEST(DataBar, ExpandedStackedKeepsWithinTheWidthSet) {
  const std::string data = "H(01)09501101530003(3202)012345(10)ABC123";
  for (std::uint16_t widest : {700, 400, 250}) {
    TwoDimensionalSymbols symbols;
    const Symbol symbol =
        RunFunctions(symbols, {Function(kDataBar, 67, Parameters({2})),
                               Function(kDataBar, 71,
                                        Parameters({static_cast<std::uint8_t>(widest & 0xFF),
                                                    static_cast<std::uint8_t>(widest >> 8)})),
                               Function(kDataBar, kStore, Stored(std::string("L") + data.substr(1))),
                               Function(kDataBar, kPrint, kPrintParameters)});
    ASSERT_TRUE(symbol.Drawn()) << widest << ": " << symbol.detail;
    EXPECT_LE(symbol.bitmap.width, widest);
    EXPECT_GT(symbol.bitmap.width, widest / 2) << "no narrower than it needs to be";
  }
}

TEST(Composite, LinearComponentScansBack) {
  TwoDimensionalSymbols symbols;
  const Symbol symbol = RunFunctions(symbols, {Function(kComposite, 67, Parameters({3})),
                                               Function(kComposite, kStore,
                                                        "00B"
                                                        "490123456789"),
                                               Function(kComposite, kStore,
                                                        "01A"
                                                        "(10)LOT42(17)271231"),
                                               Function(kComposite, kPrint, kPrintParameters)});
  ASSERT_TRUE(symbol.Drawn()) << symbol.detail;
  if (!testing::ZbarAvailable()) GTEST_SKIP() << "zbarimg is not installed";
  testing::TempFolder folder;
  EXPECT_EQ(testing::ScanSymbol(symbol.bitmap, folder), "4901234567894");
}

}  // namespace
}  // namespace tesk::printer
