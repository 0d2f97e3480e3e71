#include "zip/extended_timestamp.h"

#include <algorithm>
#include <utility>

#include "platform/little_endian.h"

namespace tesk::zip {
namespace {

constexpr std::uint8_t kAllTimes = kHasWriteTime | kHasAccessTime | kHasCreationTime;

// The fields hold the low 32 bits of the Unix time, read back as signed.
std::uint32_t LowBits(std::int64_t unixSeconds) { return static_cast<std::uint32_t>(unixSeconds); }

}  // namespace

std::optional<ExtendedTimes> FindExtendedTimes(std::span<const std::uint8_t> extra) {
  std::size_t position = 0;
  while (position + 4 < extra.size()) {
    const std::uint16_t id = platform::ReadLe16(extra.data() + position);
    const std::size_t dataSize = platform::ReadLe16(extra.data() + position + 2);
    const std::size_t dataStart = position + 4;
    if (id != kExtendedTimestampId) {
      position = dataStart + dataSize;
      continue;
    }
    const std::size_t fieldEnd = std::min(dataStart + dataSize, extra.size());
    ExtendedTimes times;
    if (dataSize == 0) return times;
    const std::uint8_t flags = extra[dataStart];
    std::size_t next = dataStart + 1;
    for (auto [bit, time] :
         {std::pair{kHasWriteTime, &times.writeTime}, std::pair{kHasAccessTime, &times.accessTime},
          std::pair{kHasCreationTime, &times.creationTime}}) {
      if (!(flags & bit)) continue;
      if (next + 4 > fieldEnd) break;
      *time = static_cast<std::int32_t>(platform::ReadLe32(extra.data() + next));
      next += 4;
    }
    return times;
  }
  return std::nullopt;
}

std::array<std::uint8_t, kLocalTimestampFieldSize> EncodeLocalTimestampField(std::int64_t writeTime,
                                                                             std::int64_t accessTime,
                                                                             std::int64_t creationTime) {
  std::array<std::uint8_t, kLocalTimestampFieldSize> field{};
  platform::PutLe16(field.data(), kExtendedTimestampId);
  platform::PutLe16(field.data() + 2, kLocalTimestampFieldSize - 4);
  field[4] = kAllTimes;
  platform::PutLe32(field.data() + 5, LowBits(writeTime));
  platform::PutLe32(field.data() + 9, LowBits(accessTime));
  platform::PutLe32(field.data() + 13, LowBits(creationTime));
  return field;
}

std::array<std::uint8_t, kCentralTimestampFieldSize> EncodeCentralTimestampField(std::int64_t writeTime) {
  std::array<std::uint8_t, kCentralTimestampFieldSize> field{};
  platform::PutLe16(field.data(), kExtendedTimestampId);
  platform::PutLe16(field.data() + 2, kCentralTimestampFieldSize - 4);
  field[4] = kAllTimes;
  platform::PutLe32(field.data() + 5, LowBits(writeTime));
  return field;
}

}  // namespace tesk::zip
