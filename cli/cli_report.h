#pragma once
// What tesk-cli prints for one run.

#include <filesystem>
#include <optional>
#include <string>

#include "core/run_types.h"

namespace tesk::cli {

// The figures with the window's captions, one per line, then the message.
std::string FormatTextReport(const std::filesystem::path& input, const core::RunFigures& figures,
                             const std::optional<core::RunMessage>& message);

// One JSON object on one line.
std::string FormatJsonReport(const std::filesystem::path& input, const core::RunFigures& figures,
                             const std::optional<core::RunMessage>& message);

// The line a text run prints on stderr when the fixed band layout it used does
// not fit the job; none when it fits or another layout was used.
std::optional<std::string> LayoutWarning(const core::RunFigures& figures, const core::RunOptions& options);

}  // namespace tesk::cli
