#pragma once
// Generated captures of one job in every column layout seen in saved
// captures, with what the whole reader must take from each.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tesk::capture {

struct WholeCaptureCase {
  std::string name;
  std::string text;
  bool job = false;  // whether a job is found at all
  testing::Bytes expected;
  std::int64_t transfersTaken = 0;
  std::int64_t repeatCopies = 0;
  std::int32_t bytesPerLine = 0;
};

std::vector<WholeCaptureCase> WholeCaptureCases();

}  // namespace tesk::capture
