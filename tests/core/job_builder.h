#pragma once
// Small raster jobs written out byte by byte, for the loader and band tests.

#include <cstdint>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tesk::testing {

// ESC @, `gap` filler bytes, then `bands` GS v 0 bands of widthBytes x height
// whose data bytes count up from `firstByte`, three bytes between bands.
inline Bytes FixedLayoutJob(int widthBytes, int height, int bands, std::uint8_t mode = 0, int gap = 5,
                            std::uint8_t firstByte = 1) {
  Bytes job = {0x1B, 0x40};
  for (int index = 0; index < gap; ++index) job.push_back(0xAA);
  std::uint8_t next = firstByte;
  for (int band = 0; band < bands; ++band) {
    if (band > 0) job.insert(job.end(), {0x1B, 0x4A, 0x00});
    job.insert(job.end(), {0x1D, 0x76, 0x30, mode, static_cast<std::uint8_t>(widthBytes & 0xFF),
                           static_cast<std::uint8_t>(widthBytes >> 8),
                           static_cast<std::uint8_t>(height & 0xFF), static_cast<std::uint8_t>(height >> 8)});
    for (int index = 0; index < widthBytes * height; ++index) job.push_back(next++);
  }
  return job;
}

}  // namespace tesk::testing
