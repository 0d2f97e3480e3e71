#pragma once
// tesk-cli --inspect: the job's command stream and whether the fixed band
// layout fits it. Nothing is written beside the input.

#include <filesystem>
#include <string>

#include "core/run_types.h"
#include "printer/profile.h"

namespace tesk::cli {

// The report for one file, its capture text read as `reading` says; `failed`
// is set when the file gave no job. With `paper`, the paper's display list
// for that printer follows the commands.
std::string InspectJob(const std::filesystem::path& input, bool json, core::CaptureReading reading,
                       bool& failed, const printer::Profile* paper = nullptr);

}  // namespace tesk::cli
