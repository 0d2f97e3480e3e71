// The capture decoder on arbitrary text, with exactly the room the loader gives.

#include <cstdlib>
#include <string_view>
#include <vector>

#include "capture/capture_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  std::vector<std::uint8_t> job(size);
  capture::CaptureDecodeTarget target{job, 0, 0, false};
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int result = capture::DecodeCaptureText(text.substr(0, text.find('\0')), target);
  if (result != 0 && result != 1) std::abort();
  if (target.dataLength < 0 || static_cast<std::size_t>(target.dataLength) > size) std::abort();
  return 0;
}
