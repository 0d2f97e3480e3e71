#pragma once
// Recovers the bytes of the first OUT transfer of a Bus Hound capture text.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "capture/capture_side_lists.h"
#include "platform/progress_steps.h"

namespace tesk::capture {

// Where decoded bytes go: written to `data` from its start, never past
// data.size(); dataLength counts them.
struct CaptureDecodeTarget {
  std::span<std::uint8_t> data;
  std::int32_t dataLength = 0;
  std::int32_t bytesPerLine = 0;
  // Set once a transfer passed the ESC @ test (the loader's kind 1).
  bool kindIsCapture = false;
  // When given, receives the line that carried each run of job bytes.
  std::vector<CaptureLineSpan>* lines = nullptr;
  // When given, told the position in the text now and then; false stops the
  // decoding (cancelled, and no capture).
  const platform::ProgressHook* progress = nullptr;
  bool cancelled = false;
};

// 1 when some line that started an OUT transfer passed the ESC @ test, else 0.
//
// `text` is the file's bytes up to its first zero byte, one character per byte.
// The capture is Windows text of one byte per character; reading it as bytes
// rather than widening each to a 16-bit code unit of the same value changes
// none of the comparisons made here, and spares a copy twice the file's size.
//
// Lines end with CR LF; a last line without one is not read. The transfer's
// first line must begin "1b 40"; its second line tells how many bytes a full
// line shows (the offset after the line's last "."), and a second pass then
// collects the transfer with that count. A missing, zero or negative count is
// no capture (0). Continuation lines are taken only after the transfer's own
// OUT line has been met again in the second pass, so an indented header line
// is never read as data. A transfer of a single line, with no later transfer
// to show the count, gives the bytes of that line.
int DecodeCaptureText(std::string_view text, CaptureDecodeTarget& target);

}  // namespace tesk::capture
