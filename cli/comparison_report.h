#pragma once
// tesk-cli --diff: what changed between two jobs, as text or one JSON object.

#include <string>

#include "core/job_comparison.h"

namespace tesk::cli {

std::string ComparisonText(const std::filesystem::path& a, const std::filesystem::path& b,
                           const core::JobComparison& comparison);
std::string ComparisonJson(const std::filesystem::path& a, const std::filesystem::path& b,
                           const core::JobComparison& comparison);

// 0 identical pictures, 1 different, 2 when a file gave no job or no picture.
int ComparisonExitStatus(const core::JobComparison& comparison);

}  // namespace tesk::cli
