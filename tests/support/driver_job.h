#pragma once
// A small job as a Windows receipt driver writes it (tools::BuildDriverJob):
// three bands of 2 x 24 dots, the first row white (so a header misread at
// offset 10 finds a height of 0) and the middle band white all over (the
// driver skips it with a feed). With the first band at offset 10 the fixed
// layout misses band 2, whose header it expects at 69; at 8 it takes no band.

#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"
#include "tools/sample_job.h"

namespace tesk::testing {

inline Bytes DriverJob(int firstBandAt) {
  tools::DotPicture picture(2, 72);
  picture.FillRect(0, 1, 16, 23);
  picture.FillRect(3, 48, 5, 24);
  return tools::BuildDriverJob(picture, 24, firstBandAt);
}

inline std::filesystem::path WriteDriverJob(const std::filesystem::path& path, int firstBandAt = 10) {
  WriteFile(path, DriverJob(firstBandAt));
  return path;
}

}  // namespace tesk::testing
