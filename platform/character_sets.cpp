#include "platform/character_sets.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>

namespace tesk::platform {

DecodeResult DecodeOneCharacter(const std::string& characterSet, std::span<const unsigned char> bytes,
                                char32_t& codePoint) {
  // UTF-32 in the machine's order, so that the result is read as it is.
  iconv_t converter =
      iconv_open(std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE", characterSet.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return DecodeResult::UnknownCharacterSet;
  std::array<unsigned char, 4> input{};
  const std::size_t count = std::min(bytes.size(), input.size());
  std::copy_n(bytes.begin(), count, input.begin());
  std::array<char32_t, 2> output{};
  char* in = reinterpret_cast<char*>(input.data());
  char* out = reinterpret_cast<char*>(output.data());
  std::size_t inLeft = count;
  std::size_t outLeft = sizeof(output);
  const std::size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1) || inLeft != 0 || bytes.size() > input.size() ||
      sizeof(output) - outLeft != sizeof(char32_t))
    return DecodeResult::Invalid;
  codePoint = output[0];
  return DecodeResult::Decoded;
}

}  // namespace tesk::platform
