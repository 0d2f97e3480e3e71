#include "capture/piece_reader.h"

#include <array>
#include <limits>

namespace tesk::capture {
namespace {

// White space as the C locale's isspace() knows it; the locale of the process
// must not change how a capture reads.
bool IsFormatSpace(char character) { return character == ' ' || (character >= '\t' && character <= '\r'); }

std::size_t SkipFormatSpace(std::string_view text) {
  std::size_t index = 0;
  while (index < text.size() && IsFormatSpace(text[index])) ++index;
  return index;
}

}  // namespace

bool ReadHexByte(std::string_view piece, std::uint8_t& value) {
  std::size_t index = SkipFormatSpace(piece);
  bool negative = false;
  if (index < piece.size() && (piece[index] == '+' || piece[index] == '-')) {
    negative = piece[index] == '-';
    ++index;
  }
  bool anyDigit = false;
  // A lone "0x" reads as the number 0: the 0 is a digit of its own.
  if (index < piece.size() && piece[index] == '0') {
    anyDigit = true;
    ++index;
    if (index < piece.size() && (piece[index] | 0x20) == 'x') ++index;
  }
  std::uint64_t number = 0;
  bool overflow = false;
  for (; index < piece.size(); ++index) {
    const int digit = HexDigitValue(static_cast<unsigned char>(piece[index]));
    if (digit < 0) break;
    anyDigit = true;
    if (number > (std::numeric_limits<std::uint64_t>::max() >> 4)) overflow = true;
    number = (number << 4) | static_cast<std::uint64_t>(digit);
  }
  if (!anyDigit) return false;
  // The conversion goes through an unsigned long, which saturates on overflow
  // and wraps a negated value, before the byte is cut from it.
  if (overflow)
    number = std::numeric_limits<std::uint64_t>::max();
  else if (negative)
    number = ~number + 1;
  value = static_cast<std::uint8_t>(number & 0xFF);
  return true;
}

bool ReadDecimalInt(std::string_view text, std::int32_t& value) {
  std::size_t index = SkipFormatSpace(text);
  bool negative = false;
  if (index < text.size() && (text[index] == '+' || text[index] == '-')) {
    negative = text[index] == '-';
    ++index;
  }
  // The magnitude is held just past the 32-bit range, so that any longer run of
  // digits settles at the range's end instead of wrapping.
  constexpr std::int64_t kCeiling = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool anyDigit = false;
  for (; index < text.size() && text[index] >= '0' && text[index] <= '9'; ++index) {
    anyDigit = true;
    magnitude = magnitude * 10 + (text[index] - '0');
    if (magnitude > kCeiling) magnitude = kCeiling;
  }
  if (!anyDigit) return false;
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<std::int32_t>::max())
    value = std::numeric_limits<std::int32_t>::max();
  else
    value = static_cast<std::int32_t>(signedValue);  // -kCeiling is INT32_MIN itself
  return true;
}

std::size_t ReadHexPairs(std::string_view field, std::size_t limit, std::uint8_t* out) {
  const char* cursor = field.data();
  const char* const end = cursor + field.size();
  std::size_t count = 0;
  while (count < limit && end - cursor >= 2) {
    const int high = kHexDigitValues[static_cast<unsigned char>(cursor[0])];
    const int low = kHexDigitValues[static_cast<unsigned char>(cursor[1])];
    if ((high | low) < 0) break;
    if (end - cursor == 2) {
      out[count++] = static_cast<std::uint8_t>(high << 4 | low);
      break;
    }
    if (cursor[2] != ' ') break;  // more digits than a byte has: another column
    out[count++] = static_cast<std::uint8_t>(high << 4 | low);
    cursor += 3;
    if (cursor != end && *cursor == ' ') {
      ++cursor;
      if (cursor != end && *cursor == ' ') break;  // the padding after a short line
    }
  }
  return count;
}

}  // namespace tesk::capture
