#include "zip/extended_timestamp.h"

#include <utility>

#include "platform/little_endian.h"
#include "zip/extra_fields.h"

namespace tesk::zip {
namespace {

constexpr std::uint8_t kAllTimes = kHasWriteTime | kHasAccessTime | kHasCreationTime;

// The fields hold the low 32 bits of the Unix time, read back as signed.
std::uint32_t LowBits(std::int64_t unixSeconds) { return static_cast<std::uint32_t>(unixSeconds); }

}  // namespace

std::optional<ExtendedTimes> FindExtendedTimes(std::span<const std::uint8_t> extra) {
  const auto field = FindExtraField(extra, kExtendedTimestampId);
  if (!field) return std::nullopt;
  ExtendedTimes times;
  if (field->empty()) return times;
  const std::uint8_t flags = field->front();
  std::size_t next = 1;
  for (auto [bit, time] :
       {std::pair{kHasWriteTime, &times.writeTime}, std::pair{kHasAccessTime, &times.accessTime},
        std::pair{kHasCreationTime, &times.creationTime}}) {
    if (!(flags & bit)) continue;
    if (next + 4 > field->size()) break;
    *time = static_cast<std::int32_t>(platform::ReadLe32(field->data() + next));
    next += 4;
  }
  return times;
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
