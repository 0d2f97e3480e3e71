#pragma once

#include <filesystem>
#include <string>

#include "core/run_types.h"

namespace tesk::core {

// The one table of the texts a run shows.
const char* RunMessageText(RunMessageCode code);

RunMessage MakeRunMessage(RunMessageCode code);
// A write that failed on a created output: names the file and the system's reason.
RunMessage MakeWriteFailedMessage(const std::filesystem::path& file, int error);

}  // namespace tesk::core
