#include "core/picture_limits.h"

namespace tesk::core {
namespace {
std::int64_t limit = kDefaultPictureByteLimit;
}

std::int64_t PictureByteLimit() { return limit; }
void SetPictureByteLimit(std::int64_t bytes) { limit = bytes; }

}  // namespace tesk::core
