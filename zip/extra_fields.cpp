#include "zip/extra_fields.h"

#include <algorithm>

#include "platform/little_endian.h"

namespace tesk::zip {

std::optional<std::span<const std::uint8_t>> FindExtraField(std::span<const std::uint8_t> extra,
                                                            std::uint16_t id) {
  std::size_t position = 0;
  while (extra.size() - position >= 4) {
    const std::uint16_t fieldId = platform::ReadLe16(extra.data() + position);
    const std::size_t dataSize = platform::ReadLe16(extra.data() + position + 2);
    const std::size_t dataStart = position + 4;
    const std::size_t dataEnd = std::min(dataStart + dataSize, extra.size());
    if (fieldId == id) return extra.subspan(dataStart, dataEnd - dataStart);
    position = dataEnd;
  }
  return std::nullopt;
}

}  // namespace tesk::zip
