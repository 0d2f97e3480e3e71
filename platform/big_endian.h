#pragma once
// Big-endian fields, for packet captures written on big-endian machines. Every
// field goes through one of these, never through shifts at the call site.

#include <cstdint>

namespace tesk::platform {

inline std::uint16_t ReadBe16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline std::uint32_t ReadBe32(const std::uint8_t* bytes) {
  return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
         (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

inline std::uint64_t ReadBe64(const std::uint8_t* bytes) {
  return (static_cast<std::uint64_t>(ReadBe32(bytes)) << 32) | ReadBe32(bytes + 4);
}

}  // namespace tesk::platform
