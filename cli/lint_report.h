#pragma once
// tesk-cli --lint: a job's findings, one a line as FILE:OFFSET: CODE: explanation,
// or one JSON object a file. Nothing is written beside the input.

#include <filesystem>
#include <string>

#include "core/run_types.h"
#include "printer/profile.h"

namespace tesk::cli {

enum class LintOutcome { Clean, Findings, NoJob };

// The report for one file, loaded as a run with `options` would load it.
std::string LintFile(const std::filesystem::path& input, bool json, const core::RunOptions& options,
                     const printer::Profile& profile, LintOutcome& outcome);

}  // namespace tesk::cli
