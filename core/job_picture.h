#pragma once
// A job and its picture held in memory only: for commands that compare or
// check jobs and must leave nothing beside their inputs.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/capture_kind.h"
#include "core/run_types.h"
#include "printer/profile.h"

namespace tesk::core {

// Rows of `width` dots, 1 bit a dot, most significant bit leftmost, top row first.
struct DotPicture {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint8_t> rows;

  std::int64_t WidthBytes() const { return (width + 7) / 8; }
  bool Dot(std::int64_t x, std::int64_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return (rows[static_cast<std::size_t>(y * WidthBytes() + x / 8)] >> (7 - x % 8)) & 1;
  }
};

struct JobInMemory {
  CaptureKind kind = CaptureKind::Invalid;
  std::vector<std::uint8_t> job;
  // The band picture, as the run with the same options would draw it; none
  // when the run would end with `message`.
  std::optional<DotPicture> bands;
  std::optional<RunMessage> message;
};

// Loads `input` (of any kind) with the run's options and gathers its band
// picture. An archive is opened from a copy in a private folder, so nothing
// appears beside it. OpenFailed or Invalid when no job was found.
// `gatherBands` false leaves `bands` and `message` empty, for checks that need the job alone.
JobInMemory LoadJobInMemory(const std::filesystem::path& input, const RunOptions& options,
                            bool gatherBands = true);

// The job's paper, its pieces one under the other (a row of every other dot
// where it was cut). False, with `message` set, when the paper cannot be drawn.
bool DrawPaperPicture(std::span<const std::uint8_t> job, const printer::Profile& profile, DotPicture& picture,
                      std::string& message);

// Whether the file starts as a ZIP archive does; loading one extracts it beside itself.
bool LooksLikeArchive(const std::filesystem::path& path);

}  // namespace tesk::core
