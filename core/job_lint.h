#pragma once
// Where a job leans on one printer's habits: findings that say which bytes
// will print differently, or not at all, on another printer or in this tool's
// default reading. tesk-cli --lint prints them; the window counts them.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/run_types.h"
#include "printer/profile.h"

namespace tesk::core {

// Each code keeps its name (LintCodeName) for good: scripts match on it.
enum class LintCode : std::uint8_t {
  RasterHeightHighByte,  // GS v 0 taller than 255 rows on a printer that reads only yL
  RasterTooTall,         // GS v 0 taller than the printer prints
  WiderThanPaper,        // an image or a text line beyond the printable width
  FeedAfterRaster,       // LF right after GS v 0: printers differ in whether it feeds
  ColumnImagePitch,      // 8-dot ESC *: its height depends on the vertical pitch
  CutOffCommand,         // the job ends inside a command
  UnknownBytes,          // bytes no command of the table knows
  NoInitialise,          // the job does not start with ESC @
  BandWidthDiffers,      // a GS v 0 band not as wide as the first
  FixedLayoutMismatch,   // the fixed band layout does not fit the job
};
inline constexpr std::size_t kLintCodeCount = static_cast<std::size_t>(LintCode::FixedLayoutMismatch) + 1;

struct LintFinding {
  LintCode code = LintCode::UnknownBytes;
  std::uint64_t offset = 0;
  std::string explanation;  // one line
};

// The findings in the order of their offsets (a whole-job finding at 0).
std::vector<LintFinding> LintJob(std::span<const std::uint8_t> job, const printer::Profile& profile);

// Loads `input` as a run with `options` would (an archive from a private copy,
// any ESC/POS stream as a raw job) and lints its job; none when it holds no job.
std::optional<std::vector<LintFinding>> LintFile(const std::filesystem::path& input,
                                                 const RunOptions& options, const printer::Profile& profile);

// "raster-height-high-byte", "cut-off-command", ...
const char* LintCodeName(LintCode code);

}  // namespace tesk::core
