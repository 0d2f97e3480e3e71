#pragma once
// The extended timestamp extra field ("UT", header ID 0x5455): Unix times of
// the last write, last access and creation, each present or not.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tesk::zip {

inline constexpr std::uint16_t kExtendedTimestampId = 0x5455;
// Bits of the field's flags byte, one per time, in the order the times follow.
inline constexpr std::uint8_t kHasWriteTime = 0x01;
inline constexpr std::uint8_t kHasAccessTime = 0x02;
inline constexpr std::uint8_t kHasCreationTime = 0x04;

struct ExtendedTimes {
  std::optional<std::int64_t> writeTime;
  std::optional<std::int64_t> accessTime;
  std::optional<std::int64_t> creationTime;
};

// The times of the first "UT" field in an extra field area; empty when there
// is none. Only times that lie wholly inside both the field and the area are
// taken, whatever the flags announce.
std::optional<ExtendedTimes> FindExtendedTimes(std::span<const std::uint8_t> extra);

// The writer's fields: the local one carries all three times, the central one
// the last write only (with the same flags byte, as the local field has).
inline constexpr std::size_t kLocalTimestampFieldSize = 17;
inline constexpr std::size_t kCentralTimestampFieldSize = 9;
std::array<std::uint8_t, kLocalTimestampFieldSize> EncodeLocalTimestampField(std::int64_t writeTime,
                                                                             std::int64_t accessTime,
                                                                             std::int64_t creationTime);
std::array<std::uint8_t, kCentralTimestampFieldSize> EncodeCentralTimestampField(std::int64_t writeTime);

}  // namespace tesk::zip
