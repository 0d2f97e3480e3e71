#pragma once
// What tesk-cli prints for one run.

#include <filesystem>
#include <optional>
#include <string>

#include "core/run_types.h"
#include "live/job_report.h"

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

// One line for a job received with --listen: where it was saved, how it
// came, and what its conversion gave (the run's message, or the picture's size).
std::string FormatJobLine(const live::JobReport& job, const core::RunFigures& figures,
                          const std::optional<core::RunMessage>& message);

// As FormatJsonReport, with a "job" object telling how the job came.
// Without figures (the job could not be saved) only "job" and "message".
std::string FormatJsonJobReport(const live::JobReport& job, const core::RunFigures* figures,
                                const std::optional<core::RunMessage>& message);

// The job's "how it came" part of a line, for --inspect, which prints the
// command stream after it.
std::string FormatJobHeading(const live::JobReport& job);

}  // namespace tesk::cli
