#pragma once
// A command's parameter bytes, read as the printer reads them: a byte the job
// cut off reads as 0, so a handler never reads past its command.

#include <cstdint>
#include <span>

namespace tesk::printer {

inline unsigned ParameterByte(std::span<const std::uint8_t> bytes, std::size_t index) {
  return index < bytes.size() ? bytes[index] : 0;
}

// nL nH
inline unsigned ParameterWord(std::span<const std::uint8_t> bytes, std::size_t index) {
  return ParameterByte(bytes, index) + 256 * ParameterByte(bytes, index + 1);
}

}  // namespace tesk::printer
