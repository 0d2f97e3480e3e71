#pragma once
// The extra field area of a header: a run of fields, each a 2-byte ID, a
// 2-byte data size and that many bytes of data.

#include <cstdint>
#include <optional>
#include <span>

namespace tesk::zip {

// The data of the first field with `id`, cut short at the end of `extra` when
// the field claims more than is there; nothing when no field has that ID.
std::optional<std::span<const std::uint8_t>> FindExtraField(std::span<const std::uint8_t> extra,
                                                            std::uint16_t id);

}  // namespace tesk::zip
