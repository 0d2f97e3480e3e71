#include "tools/sample_capture.h"

#include <vector>

namespace tesk::tools {

std::string MakeSampleCaptureText(std::span<const std::uint8_t> job, const CaptureLayout& layout) {
  const std::vector<CaptureTransfer> transfers = {
      // GET_DEVICE_ID of the printer class, asking for up to 1009 bytes.
      {"CTL", {0xA1, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF1, 0x03}, "CLASS"},
      {"OUT", std::vector<std::uint8_t>(job.begin(), job.end()), ""},
      {"IN", {0x12}, ""},
  };
  return MakeCaptureText(layout, transfers);
}

}  // namespace tesk::tools
