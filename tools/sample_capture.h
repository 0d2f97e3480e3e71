#pragma once
// The capture text of the bundled sample job, as the analyser would have saved
// it while the job was printed: the printer's device ID requested first, the
// job, then a status byte read back.

#include <cstdint>
#include <span>
#include <string>

#include "tools/capture_text.h"

namespace tesk::tools {

// `layout` sets the columns and the bytes per line; the bundled sample uses the default.
std::string MakeSampleCaptureText(std::span<const std::uint8_t> job, const CaptureLayout& layout = {});

}  // namespace tesk::tools
