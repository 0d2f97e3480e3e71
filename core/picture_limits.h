#pragma once
// The largest pure data and DIB pixel buffer a job may need. Real jobs stay far
// below it (a 576-dot receipt 3.7 million rows long); only a corrupt header
// gets there, and such a job is treated as invalid instead of allocating
// gigabytes. Tests and fuzz targets lower it so one input stays cheap.

#include <cstdint>

namespace tesk::core {

inline constexpr std::int64_t kDefaultPictureByteLimit = std::int64_t{256} * 1024 * 1024;

std::int64_t PictureByteLimit();
void SetPictureByteLimit(std::int64_t bytes);

}  // namespace tesk::core
