#pragma once
// The capture text of the bundled sample job, as the analyser would have saved
// it while the job was printed: the printer's device ID requested first, the
// job, then a status byte read back.

#include <cstdint>
#include <span>
#include <string>

namespace tesk::tools {

std::string MakeSampleCaptureText(std::span<const std::uint8_t> job);

}  // namespace tesk::tools
