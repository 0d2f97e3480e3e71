#pragma once
// tesk-cli --listen: a network printer whose jobs are converted as they come,
// one at a time on the calling thread, until Ctrl-C.

#include "cli/cli_options.h"

namespace tesk::cli {

// Serves until a termination signal; the exit status (0, or 1 when the
// server could not start or any job was not saved or converted).
int ServeJobs(const CliOptions& options);

}  // namespace tesk::cli
