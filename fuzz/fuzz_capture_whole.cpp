// The whole capture reader on arbitrary text, with the room the loader gives
// and a buffer that grows on request, as the loader's does.

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "capture/whole_capture_reader.h"

namespace {

// Repeat counts can ask for any length up to the largest job; a lower ceiling
// keeps every input fast without leaving any path unreached.
constexpr std::size_t kLargestFuzzedJob = std::size_t{16} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  std::vector<std::uint8_t> room(size, 0);
  capture::WholeCaptureTarget target{room};
  target.grow = [&room](std::size_t wanted) {
    if (wanted > kLargestFuzzedJob) std::abort();  // asked past the ceiling
    room.resize(wanted, 0);
    return std::span<std::uint8_t>(room);
  };
  target.largestJob = kLargestFuzzedJob;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));
  capture::CaptureSideLists sides;
  target.lines = &sides.lines;
  const capture::WholeCaptureResult result = capture::ReadWholeCapture(text, target);
  capture::ListCaptureInTransfers(text, target.statistics.columns, SIZE_MAX, sides);
  capture::NumberCaptureLines(text, sides);
  // The lines tile the job, and every byte of it names a line of the text.
  std::uint64_t tiled = 0;
  for (const capture::CaptureLineSpan& span : sides.lines) {
    if (span.jobOffset != tiled || span.length == 0) std::abort();
    tiled += span.length;
  }
  if (tiled != static_cast<std::uint64_t>(target.dataLength)) std::abort();
  const auto textLines = static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (std::uint64_t offset : {std::uint64_t{0}, tiled / 2, tiled - 1}) {
    if (tiled == 0) break;
    const auto line = capture::CaptureLineHolding(sides.lines, offset);
    if (!line || *line == 0 || *line > textLines) std::abort();
  }

  if (result != capture::WholeCaptureResult::Job && result != capture::WholeCaptureResult::NoJob)
    std::abort();  // the buffer always grows here
  if (target.data.data() != room.data() || target.data.size() != room.size()) std::abort();
  const auto length = static_cast<std::size_t>(target.dataLength);
  if (target.dataLength < 0 || length > room.size()) std::abort();
  if (result == capture::WholeCaptureResult::NoJob && length != 0) std::abort();
  // Without a repeat count the job is shorter than its text.
  if (text.find('(') == std::string_view::npos && length > text.size()) std::abort();
  if (!std::all_of(room.begin() + static_cast<std::ptrdiff_t>(length), room.end(),
                   [](std::uint8_t byte) { return byte == 0; }))
    std::abort();
  if (result == capture::WholeCaptureResult::Job && (length < 2 || room[0] != 0x1B || room[1] != 0x40))
    std::abort();  // every job begins with ESC @
  return 0;
}
