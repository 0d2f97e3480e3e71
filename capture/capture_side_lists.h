#pragma once
// What an engineer wants beside a job read from a capture text: the line of
// the text that carried each job byte, and what the device sent back (the IN
// transfers, status answers among them). The readers fill these lists only
// when asked; the job itself never depends on them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "capture/capture_columns.h"

namespace tesk::capture {

// Job bytes [jobOffset, jobOffset + length) and where they come from: a run
// of lineCount lines that follow each other in the text, each giving
// lineBytes bytes (a transfer's full lines are one run, its short last line
// another), so that the list grows with the transfers rather than the lines.
struct CaptureLineSpan {
  std::uint64_t jobOffset = 0;
  std::uint64_t length = 0;
  std::size_t textPosition = 0;  // where the run's first line begins in the text
  std::size_t textEnd = 0;       // where its last line ends, before the line end
  std::uint64_t line = 0;        // the first line's number, from 1 (NumberCaptureLines)
  std::uint64_t lineBytes = 0;
  std::uint64_t lineCount = 1;
  // A transfer shown once with a count: these bytes repeat the `period` bytes
  // before them, which lines of their own carried. 0 for bytes read from lines.
  std::uint64_t period = 0;
};

// An IN transfer of the job's device, in text order.
struct CaptureInTransfer {
  std::uint64_t jobOffset = 0;      // job bytes read from lines above it
  std::size_t textPosition = 0;     // of its phase line
  std::uint64_t line = 0;           // that line's number, from 1 (NumberCaptureLines)
  std::uint64_t length = 0;         // bytes its lines show
  std::vector<std::uint8_t> bytes;  // the first kCaptureInBytesListed of them
};

inline constexpr std::size_t kCaptureInBytesListed = 32;
inline constexpr std::size_t kMostCaptureInTransfersListed = 65536;

struct CaptureSideLists {
  std::vector<CaptureLineSpan> lines;  // in job order
  std::vector<CaptureInTransfer> inTransfers;
};

// Records that job bytes [from, to) came from the line beginning at `line`
// (a view into `text`); nothing when the line gave no byte.
void NoteCaptureLine(std::vector<CaptureLineSpan>& lines, std::string_view text, std::string_view line,
                     std::uint64_t from, std::uint64_t to);

// Records that job bytes [from, from + copies) repeat the `period` bytes before them.
void NoteCaptureRepeats(std::vector<CaptureLineSpan>& lines, std::uint64_t from, std::uint64_t copies,
                        std::uint64_t period);

// The fixed places of the analyser's default layout, which the first-transfer
// reader keeps to whatever header the text has.
CaptureColumns DefaultLayoutColumns();

// Lists the IN transfers of the job's device (the device of the line that
// carried the job's first byte, up to its "."): a line whose phase is IN and
// the lines of blank phase after it, each showing at most `lineLimit` bytes.
// Lines must be noted first; IN transfers are placed after the job bytes of
// the lines above them.
void ListCaptureInTransfers(std::string_view text, const CaptureColumns& columns, std::size_t lineLimit,
                            CaptureSideLists& lists);

// Fills in the line numbers of both lists from their text positions.
void NumberCaptureLines(std::string_view text, CaptureSideLists& lists);

// The number of the line that carried job byte `offset`; none when no line did.
std::optional<std::uint64_t> CaptureLineHolding(const std::vector<CaptureLineSpan>& lines,
                                                std::uint64_t offset);

}  // namespace tesk::capture
