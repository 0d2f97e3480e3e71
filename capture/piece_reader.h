#pragma once
// Number reading for capture text, with the rules of the C formatted-input
// conversions the capture layout was designed around, but over a string_view
// and without the cost of a scanf call per byte.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tesk::capture {

// Reads `piece` as "%hhx" does: white space skipped, an optional sign, an
// optional 0x or 0X, then hexadecimal digits; the value is reduced to one byte
// (a minus sign negates it first, a value beyond 64 bits gives 0xFF). Stops at
// the first character that is not a digit. False when no number starts there.
bool ReadHexByte(std::string_view piece, std::uint8_t& value);

// Reads a decimal number from the start of `text` as "%d" does: white space
// skipped, an optional sign, then decimal digits. A value beyond the 32-bit
// range is held at its nearest end. False when no number starts there.
bool ReadDecimalInt(std::string_view text, std::int32_t& value);

// Reads at most `limit` bytes of a Data field as the analyser writes them into
// `out`: each byte two hex digits, the bytes separated by one space, or two
// between groups. A run of three spaces, a piece that is not two hex digits or
// the end of the field ends them. Returns how many were read.
std::size_t ReadHexPairs(std::string_view field, std::size_t limit, std::uint8_t* out);

// The hexadecimal digit's value, or -1.
inline int HexDigitValue(unsigned char character) {
  if (character >= '0' && character <= '9') return character - '0';
  const unsigned char lower = character | 0x20;
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

}  // namespace tesk::capture
