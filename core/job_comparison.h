#pragma once
// What changed between two jobs: their commands lined up, and their pictures
// (the band picture, or the paper) compared dot by dot. Only the overlay,
// base(A) + ".diff.png", is written; neither input gets the run's outputs.

#include <filesystem>
#include <optional>
#include <string>

#include "core/command_alignment.h"
#include "core/job_listing.h"
#include "core/picture_comparison.h"
#include "core/run_types.h"
#include "printer/profile.h"

namespace tesk::core {

enum class ComparisonResult : std::uint8_t {
  Identical,  // the two pictures hold the same dots
  Different,
  CannotLoad,  // a file gave no job; `failedFile` says which (0 for A, 1 for B)
  NoPicture,   // a job draws no picture; `message` says why
};

struct JobComparisonOptions {
  RunOptions run;  // the loading options; run.paperProfile set compares the paper
  bool writeOverlay = true;
};

struct JobComparison {
  ComparisonResult result = ComparisonResult::CannotLoad;
  int failedFile = -1;
  std::string message;
  bool paper = false;  // the paper was compared, not the band pictures
  std::vector<std::uint8_t> jobA;
  std::vector<std::uint8_t> jobB;
  std::vector<CommandLine> commandsA;
  std::vector<CommandLine> commandsB;
  CommandAlignment commands;
  PictureComparison pictures;
  std::filesystem::path overlayPath;  // empty when none was written
  std::optional<std::string> overlayError;
};

JobComparison CompareJobs(const std::filesystem::path& a, const std::filesystem::path& b,
                          const JobComparisonOptions& options);

// base(A) + ".diff.png".
std::filesystem::path OverlayPath(const std::filesystem::path& a);

}  // namespace tesk::core
