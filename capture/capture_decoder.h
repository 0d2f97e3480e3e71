#pragma once
// Recovers the bytes of the first OUT transfer of a Bus Hound capture text.

#include <cstdint>
#include <span>
#include <string_view>

namespace tesk::capture {

// Where decoded bytes go: appended to `data` from `dataLength` on, never past
// data.size().
struct CaptureDecodeTarget {
  std::span<std::uint8_t> data;
  std::int32_t dataLength = 0;
  std::int32_t bytesPerLine = 0;
  // Set once a transfer passed the ESC @ test (the loader's kind 1).
  bool kindIsCapture = false;
};

// 1 when some line that started an OUT transfer passed the ESC @ test, else 0.
int DecodeCaptureText(std::string_view text, CaptureDecodeTarget& target);

}  // namespace tesk::capture
