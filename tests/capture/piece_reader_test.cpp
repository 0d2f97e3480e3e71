#include "capture/piece_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace tesk::capture {
namespace {

// Each piece is read by our reader and by the C library's "%hhx"; they must
// agree on whether a number was read and on the byte it gave.
class HexPieceAgreesWithScanf : public ::testing::TestWithParam<const char*> {};

TEST_P(HexPieceAgreesWithScanf, SameByteOrSameRefusal) {
  const std::string piece = GetParam();
  unsigned char expected = 0xA5;
  const bool scanfRead = std::sscanf(piece.c_str(), "%hhx", &expected) == 1;
  std::uint8_t actual = 0xA5;
  EXPECT_EQ(ReadHexByte(piece, actual), scanfRead) << ::testing::PrintToString(piece);
  EXPECT_EQ(actual, expected) << ::testing::PrintToString(piece);
}

// A test name for a piece: letters and digits as they are, every other character
// spelled out, so "-0x" reads Minus_0x and the empty piece Empty.
std::string PieceName(std::string_view piece) {
  static constexpr std::pair<char, const char*> kSpelled[] = {{'+', "Plus"},  {'-', "Minus"}, {'.', "Dot"},
                                                              {' ', "Space"}, {'\t', "Tab"},  {'\v', "Vt"},
                                                              {'\f', "Ff"},   {'\r', "Cr"},   {'\n', "Lf"}};
  std::string name;
  bool word = false;  // whether the name ends in a spelled character
  for (const char c : piece) {
    const auto byte = static_cast<unsigned char>(c);
    const char* spelled = nullptr;
    for (const auto& [character, text] : kSpelled) {
      if (c == character) spelled = text;
    }
    char hex[8];
    if (spelled == nullptr && std::isalnum(byte) == 0) {
      std::snprintf(hex, sizeof hex, "x%02X", byte);
      spelled = hex;
    }
    if (spelled != nullptr) {
      name += name.empty() ? "" : "_";
      name += spelled;
      word = true;
    } else {
      name += word ? "_" : "";
      name += c;
      word = false;
    }
  }
  return name.empty() ? "Empty" : name;
}

INSTANTIATE_TEST_SUITE_P(OddPieces, HexPieceAgreesWithScanf,
                         ::testing::Values("1b", "1B", "0x1b", "0X1B", "+1b", "-1", "-ff", "123", "g1", "1g",
                                           "", "0x", "0xg", "0x0x1", "x1", "-", "+", "+-1", "--1", "-0x",
                                           " 1b", "\t1b", "\v\f\r\n1b", "\t", "0", "00", "1.", ".", "\xb5",
                                           "ffffffffffffffff", "-ffffffffffffffff", "10000000000000000",
                                           "-10000000000000000", "000000000000000000000001b"),
                         [](const auto& info) { return PieceName(info.param); });

struct DecimalCase {
  const char* name;
  const char* text;
  bool read;
  std::int32_t value;
  bool scanfDefined = true;  // in range, so the C library's "%d" must agree
};

class DecimalReading : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(DecimalReading, ReadsLikePercentD) {
  const DecimalCase& row = GetParam();
  std::int32_t value = -7;
  EXPECT_EQ(ReadDecimalInt(row.text, value), row.read);
  EXPECT_EQ(value, row.read ? row.value : -7);
  if (row.scanfDefined) {
    int expected = -7;
    EXPECT_EQ(std::sscanf(row.text, "%d", &expected) == 1, row.read);
    EXPECT_EQ(expected, value);
  }
}

constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLeast = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Table, DecimalReading,
    ::testing::Values(DecimalCase{"Offset", "16       ", true, 16},
                      DecimalCase{"LeadingSpace", "  \t64", true, 64}, DecimalCase{"Plus", "+8", true, 8},
                      DecimalCase{"Minus", "-16", true, -16}, DecimalCase{"StopsAtLetter", "32x", true, 32},
                      DecimalCase{"LargestInt", "2147483647", true, kMost},
                      DecimalCase{"SmallestInt", "-2147483648", true, kLeast},
                      // Out of range, where the C library's result is not defined,
                      // the count is held at the nearest end of the range.
                      DecimalCase{"BeyondRange", "4294967312", true, kMost, false},
                      DecimalCase{"FarBeyondRange", "99999999999999999999999", true, kMost, false},
                      DecimalCase{"BelowRange", "-2147483649", true, kLeast, false},
                      DecimalCase{"Empty", "", false, 0}, DecimalCase{"LoneSign", "-", false, 0},
                      DecimalCase{"Letters", "ab", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tesk::capture
