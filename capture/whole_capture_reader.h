#pragma once
// Reads the whole print job out of a Bus Hound capture text of any column
// layout: every OUT transfer to the printer's endpoint, repeats expanded.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_columns.h"
#include "capture/capture_side_lists.h"
#include "platform/progress_steps.h"

namespace tesk::capture {

enum class BytesPerLineSource : std::uint8_t {
  None,         // no count learnt: each line's own layout ends its bytes
  DataColumn,   // the width of the Data column's dashes
  LineOffsets,  // the offset of a transfer's second line
};

// What --inspect tells about a read.
struct WholeCaptureStatistics {
  CaptureColumns columns;
  std::int32_t bytesPerLine = 0;
  BytesPerLineSource bytesPerLineSource = BytesPerLineSource::None;
  std::string device;                     // device and endpoint of the job, as the capture names them
  std::int64_t transfersTaken = 0;        // OUT transfers of the job, a repeated one counted once
  std::int64_t repeatedTransfers = 0;     // of those, the ones shown with a count "(n)"
  std::int64_t repeatCopies = 0;          // copies the counts added
  std::int64_t otherDeviceTransfers = 0;  // OUT transfers to other devices, left out
};

enum class WholeCaptureResult : int {
  NoJob = 0,  // no OUT transfer begins with ESC @, or the job would pass largestJob
  Job = 1,
  NoRoom = 2,     // the repeats needed more room than `grow` could give
  Cancelled = 3,  // the progress hook stopped the reading
};

struct WholeCaptureTarget {
  // Written from its start; nothing past data.size() is ever touched, and
  // everything past dataLength is left zero.
  std::span<std::uint8_t> data;
  // Repeats can make the job longer than the text it came from. Asked for more
  // room, `grow` returns the buffer with the contents kept and at least `size`
  // bytes (zero-filled past the old end), or an empty span when that much
  // cannot be had. Without it, the job must fit into `data`.
  std::function<std::span<std::uint8_t>(std::size_t size)> grow{};
  // A job longer than this is refused as corrupt, however it came about; no
  // buffer is ever grown beyond it.
  std::size_t largestJob = 0x7FFFFFFF;
  std::int32_t dataLength = 0;
  std::int32_t bytesPerLine = 0;
  WholeCaptureStatistics statistics{};
  // When given, receives the line that carried each run of job bytes.
  std::vector<CaptureLineSpan>* lines = nullptr;
  // When given, told the position in the text now and then; false stops the reading.
  const platform::ProgressHook* progress = nullptr;
};

// `text` is the file up to its first zero byte, one character per byte. Lines
// end with CR LF or LF; a last line without either is read too. The job starts
// with the first OUT transfer whose bytes begin with ESC @ and takes every
// later OUT transfer to the same device and endpoint, up to the end of the
// text; IN, CTL and other phases between them are passed over. A transfer
// shown once with a count "(n)" after its offset stands for n transfers.
WholeCaptureResult ReadWholeCapture(std::string_view text, WholeCaptureTarget& target);

}  // namespace tesk::capture
