#pragma once
// Fields of a capture in the byte order of its file or section.

#include <cstdint>

#include "platform/big_endian.h"
#include "platform/little_endian.h"

namespace tesk::usbcap {

struct FieldOrder {
  bool bigEndian = false;

  std::uint16_t U16(const std::uint8_t* bytes) const {
    return bigEndian ? platform::ReadBe16(bytes) : platform::ReadLe16(bytes);
  }
  std::uint32_t U32(const std::uint8_t* bytes) const {
    return bigEndian ? platform::ReadBe32(bytes) : platform::ReadLe32(bytes);
  }
  std::uint64_t U64(const std::uint8_t* bytes) const {
    return bigEndian ? platform::ReadBe64(bytes) : platform::ReadLe64(bytes);
  }
  std::int32_t S32(const std::uint8_t* bytes) const { return static_cast<std::int32_t>(U32(bytes)); }
};

}  // namespace tesk::usbcap
