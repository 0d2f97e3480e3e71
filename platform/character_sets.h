#pragma once
// Bytes of a named character set ("CP437", "GB18030") as Unicode code points,
// through the C library's converters.

#include <span>
#include <string>

namespace tesk::platform {

enum class DecodeResult : unsigned char {
  Decoded,
  UnknownCharacterSet,  // the C library has no converter of that name
  Invalid,              // the bytes are not one character of the set
};

// The one character `bytes` encode; Invalid when they encode none or more.
DecodeResult DecodeOneCharacter(const std::string& characterSet, std::span<const unsigned char> bytes,
                                char32_t& codePoint);

}  // namespace tesk::platform
