#pragma once
// Does the fixed band layout fit a job? Compares where it expects every band
// header with the GS v 0 commands the job really holds.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tesk::core {

struct BandCheck {
  std::int64_t band = 0;            // from 1
  std::int64_t expectedHeader = 0;  // offset where the fixed layout expects its header
  bool found = false;               // a GS v 0 command starts there
  std::uint32_t widthBytes = 0;     // of the command found
  std::uint32_t height = 0;
  bool matches = false;             // found, with the first band's width and height
};

struct LayoutCheck {
  std::int64_t expectedBands = 0;   // bands the fixed layout takes
  std::int64_t rasterCommands = 0;  // GS v 0 commands in the job
  std::vector<BandCheck> bands;
  bool matches = false;
  std::string verdict;  // "fixed layout matches all N bands", or the first disagreement
};

LayoutCheck CheckFixedLayout(std::span<const std::uint8_t> job);

}  // namespace tesk::core
