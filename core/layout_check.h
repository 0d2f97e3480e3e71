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
  bool cutOff = false;   // the command found runs past the end of the job
  bool matches = false;  // found whole, with the first band's width and height
};

// Where the fixed layout and the job's GS v 0 commands first part ways.
enum class LayoutMismatch {
  None,
  NoHeader,         // no GS v 0 where a band's header should be
  OtherSize,        // a GS v 0 there, but not as wide or as high as the first band
  CutOff,           // the band's GS v 0 is cut off by the end of the job
  OtherBandCount,   // every band fits, but the job holds more (or fewer) GS v 0 commands
  NoBandTaken,      // the layout takes no band, yet the job holds GS v 0 commands
  NoRasterCommand,  // the job holds no GS v 0 command at all
};

// What a run needs to warn about a wrong picture: cheap to have for any job,
// as it keeps no list of bands.
struct LayoutVerdict {
  bool fits = false;
  LayoutMismatch mismatch = LayoutMismatch::None;
  BandCheck firstMismatch;         // the band it shows at; band 0 when it concerns the whole job
  std::int64_t expectedBands = 0;  // bands the fixed layout takes
  std::int64_t commandBands = 0;   // GS v 0 commands in the job
  std::int32_t widthBytes = 0;     // of the first band, as the fixed layout reads it
  std::int32_t bandHeight = 0;
  std::string reason;  // "fixed layout matches all N bands", or the first disagreement
};

// One pass of the command scanner over the job.
LayoutVerdict JudgeFixedLayout(std::span<const std::uint8_t> job);

struct LayoutCheck {
  std::int64_t expectedBands = 0;   // bands the fixed layout takes
  std::int64_t rasterCommands = 0;  // GS v 0 commands in the job
  std::vector<BandCheck> bands;
  bool matches = false;
  std::string verdict;  // the verdict's reason
};

// The verdict with every band the fixed layout takes, for --inspect.
LayoutCheck CheckFixedLayout(std::span<const std::uint8_t> job);

}  // namespace tesk::core
