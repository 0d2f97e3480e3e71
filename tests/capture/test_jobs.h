#pragma once
// Jobs for the capture tests, and pieces of them.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "tests/support/temp_folder.h"

namespace tesk::capture {

// A job of `size` bytes that begins with ESC @ and then runs through every
// byte value, so that the dump shows letters, digits and dots.
inline testing::Bytes TestJob(std::size_t size, unsigned seed = 11) {
  testing::Bytes job = {0x1B, 0x40};
  for (std::size_t index = job.size(); index < size; ++index)
    job.push_back(static_cast<std::uint8_t>(index * 37 + seed));
  job.resize(size);
  return job;
}

inline testing::Bytes Slice(const testing::Bytes& bytes, std::size_t from, std::size_t to) {
  return testing::Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                        bytes.begin() + static_cast<std::ptrdiff_t>(std::min(to, bytes.size())));
}

}  // namespace tesk::capture
