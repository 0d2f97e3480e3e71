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

}  // namespace tesk::cli
