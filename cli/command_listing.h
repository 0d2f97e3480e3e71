#pragma once
// tesk-cli --inspect: the job's command stream and whether the fixed band
// layout fits it. Nothing is written beside the input.

#include <filesystem>
#include <string>

#include "core/run_types.h"
#include "printer/profile.h"

namespace tesk::cli {

// The report for one file, loaded as a run with `options` would load it;
// `failed` is set when the file gave no job.
std::string InspectJob(const std::filesystem::path& input, bool json, const core::RunOptions& options,
                       bool& failed);

}  // namespace tesk::cli
