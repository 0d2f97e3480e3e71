#include "capture/whole_capture_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "capture/piece_reader.h"
#include "capture/text_lines.h"

namespace tesk::capture {
namespace {

// Counts and offsets of a capture are read no further than this; any larger
// one is absurd for a job of at most 2 GiB.
constexpr std::uint64_t kCountCeiling = std::uint64_t{1} << 40;
// The device text kept for --inspect; the comparison uses the whole field.
constexpr std::size_t kLongestDeviceText = 32;

// A phase name as the analyser writes it: OUT, IN, CTL, USTS and the like.
bool IsPhaseWord(std::string_view word) {
  if (word.empty() || word.size() > 5) return false;
  return std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// The largest count of bytes whose dump fits the Data column: two digits a
// byte, one space between bytes and two between groups of four.
std::int32_t BytesPerLineOfWidth(std::size_t width) {
  std::int64_t count = static_cast<std::int64_t>(std::min<std::size_t>(width, 1 << 24)) / 3 + 1;
  while (count > 0 && 3 * count - 1 + (count - 1) / 4 > static_cast<std::int64_t>(width)) --count;
  return static_cast<std::int32_t>(count);
}

std::string_view LastWord(std::string_view line) {
  const std::string_view trimmed = Trimmed(line);
  const std::size_t space = trimmed.rfind(' ');
  return space == std::string_view::npos ? trimmed : trimmed.substr(space + 1);
}

std::string_view CommandField(std::string_view line, const CaptureColumns& columns) {
  return columns.commandIsLastWord ? LastWord(line) : Trimmed(columns.command.Of(line));
}

// Reads decimal digits at `from`; false when there is none. Held at the ceiling.
bool ReadCount(std::string_view text, std::size_t& from, std::uint64_t& value) {
  value = 0;
  const std::size_t start = from;
  for (; from < text.size() && text[from] >= '0' && text[from] <= '9'; ++from)
    value = std::min(kCountCeiling, value * 10 + static_cast<std::uint64_t>(text[from] - '0'));
  return from > start;
}

// The byte offset of a line: the number after the last "." of "2.1.16" or
// "85.1.0(3)"; 0 when there is none.
std::uint64_t LineOffset(std::string_view command) {
  command = command.substr(0, command.find('('));
  const std::size_t dot = command.rfind('.');
  if (dot == std::string_view::npos) return 0;
  std::size_t from = dot + 1;
  std::uint64_t offset = 0;
  return ReadCount(command, from, offset) ? offset : 0;
}

// How many times the analyser saw the phase: n of "(n)", 1 without a count,
// 0 when the count is unreadable or zero.
std::uint64_t RepeatCount(std::string_view command) {
  std::size_t from = command.find('(');
  if (from == std::string_view::npos) return 1;
  ++from;
  std::uint64_t count = 0;
  if (!ReadCount(command, from, count) || from >= command.size() || command[from] != ')') return 0;
  return count;
}

// The count of bytes a full line shows, from the offset of the second line of
// the first transfer that has one.
std::int32_t LearnBytesPerLineFromOffsets(std::string_view text, const CaptureColumns& columns) {
  TextLines lines(text, columns.dumpStart);
  std::string_view line;
  bool afterPhaseLine = false;
  while (lines.Next(line)) {
    if (line.empty()) continue;
    const std::string_view phase = columns.phase.Of(line);
    if (!IsBlank(phase)) {
      afterPhaseLine = IsPhaseWord(Trimmed(phase));
      continue;
    }
    if (afterPhaseLine) {
      const std::uint64_t offset = LineOffset(CommandField(line, columns));
      if (offset > 0)
        return static_cast<std::int32_t>(
            std::min<std::uint64_t>(offset, std::numeric_limits<std::int32_t>::max()));
    }
    afterPhaseLine = false;
  }
  return 0;
}

class WholeCaptureReader {
 public:
  WholeCaptureReader(std::string_view text, WholeCaptureTarget& target)
      : text_(text),
        target_(target),
        limit_(std::min<std::size_t>(target.largestJob, std::numeric_limits<std::int32_t>::max())) {}

  WholeCaptureResult Read();

 private:
  bool ReadLineBytes(std::string_view line);
  void NoteLine(std::string_view line, std::size_t start) {
    if (target_.lines) NoteCaptureLine(*target_.lines, text_, line, start, length_);
  }
  bool TakeOutLine(std::string_view line);
  bool EndTransfer();
  bool MakeRoom(std::uint64_t bytes);
  WholeCaptureResult Fail(WholeCaptureResult result);

  std::string_view text_;
  WholeCaptureTarget& target_;
  WholeCaptureStatistics& statistics_ = target_.statistics;
  const CaptureColumns& columns_ = statistics_.columns;
  const std::size_t limit_;
  std::size_t lineLimit_ = std::numeric_limits<std::size_t>::max();
  std::size_t length_ = 0;   // job bytes so far
  std::size_t written_ = 0;  // how far data holds anything but zeros
  bool jobFound_ = false;
  std::string_view jobDevice_;
  bool collecting_ = false;
  std::size_t transferStart_ = 0;
  std::uint64_t transferRepeats_ = 1;
  WholeCaptureResult failure_ = WholeCaptureResult::NoJob;
};

WholeCaptureResult WholeCaptureReader::Fail(WholeCaptureResult result) {
  // An empty room may have no address at all.
  if (written_ > 0) std::memset(target_.data.data(), 0, std::min(written_, target_.data.size()));
  target_.dataLength = 0;
  if (target_.lines) target_.lines->clear();
  return result;
}

// Room for `bytes` more job bytes. A job that would pass the limit is refused
// before anything is allocated for it.
bool WholeCaptureReader::MakeRoom(std::uint64_t bytes) {
  const std::uint64_t needed = std::uint64_t{length_} + bytes;
  if (needed > limit_) {
    failure_ = WholeCaptureResult::NoJob;
    return false;
  }
  if (needed <= target_.data.size()) return true;
  failure_ = WholeCaptureResult::NoRoom;
  if (!target_.grow) return false;
  // Half as much again each time, so that many repeats cost few copies.
  const std::uint64_t size = target_.data.size();
  const std::uint64_t wanted = std::min<std::uint64_t>(limit_, std::max(needed, size + size / 2));
  const std::span<std::uint8_t> grown = target_.grow(static_cast<std::size_t>(wanted));
  if (grown.size() < needed) return false;
  target_.data = grown;
  return true;
}

bool WholeCaptureReader::ReadLineBytes(std::string_view line) {
  const std::string_view field = columns_.data.Of(line);
  const std::size_t most = std::min(lineLimit_, (field.size() + 1) / 3);
  if (most == 0) return true;
  if (!MakeRoom(most)) return false;
  length_ += ReadHexPairs(field, most, target_.data.data() + length_);
  written_ = std::max(written_, length_);
  return true;
}

bool WholeCaptureReader::TakeOutLine(std::string_view line) {
  const std::string_view device = Trimmed(columns_.device.Of(line));
  if (jobFound_ && device != jobDevice_) {
    ++statistics_.otherDeviceTransfers;
    return true;
  }
  const std::size_t start = length_;
  if (!ReadLineBytes(line)) return false;
  if (!jobFound_) {
    const std::size_t read = length_ - start;
    const std::uint8_t* const bytes = target_.data.data() + start;
    if (read < 2 || bytes[0] != 0x1B || bytes[1] != 0x40) {
      // Not the print job: whatever came before it is not ours.
      if (read > 0) std::memset(target_.data.data() + start, 0, read);
      length_ = start;
      return true;
    }
    jobFound_ = true;
    jobDevice_ = device;
    statistics_.device.assign(device.substr(0, kLongestDeviceText));
  }
  transferRepeats_ = RepeatCount(CommandField(line, columns_));
  if (transferRepeats_ == 0) {
    failure_ = WholeCaptureResult::NoJob;  // the job's length cannot be told
    return false;
  }
  collecting_ = true;
  transferStart_ = start;
  NoteLine(line, start);
  return true;
}

bool WholeCaptureReader::EndTransfer() {
  if (!collecting_) return true;
  collecting_ = false;
  ++statistics_.transfersTaken;
  if (transferRepeats_ == 1) return true;
  ++statistics_.repeatedTransfers;
  const std::uint64_t once = length_ - transferStart_;
  if (once == 0) return true;  // copies of nothing add nothing
  // Divided rather than multiplied: count and length together can pass 64 bits.
  if (transferRepeats_ - 1 > (limit_ - length_) / once) {
    failure_ = WholeCaptureResult::NoJob;  // longer than any job can be
    return false;
  }
  const std::uint64_t copies = (transferRepeats_ - 1) * once;
  if (!MakeRoom(copies)) return false;
  // Every copy adds a byte at least, so this stays below the limit.
  statistics_.repeatCopies += static_cast<std::int64_t>(transferRepeats_ - 1);
  if (target_.lines) NoteCaptureRepeats(*target_.lines, transferStart_ + once, copies, once);
  // Each copy doubles what is there, so a huge count of a short transfer costs
  // few calls.
  std::uint8_t* const first = target_.data.data() + transferStart_;
  const std::uint64_t total = once + copies;
  for (std::uint64_t filled = once; filled < total;) {
    const std::uint64_t chunk = std::min(filled, total - filled);
    std::memcpy(first + filled, first, static_cast<std::size_t>(chunk));
    filled += chunk;
  }
  length_ = transferStart_ + static_cast<std::size_t>(total);
  written_ = std::max(written_, length_);
  return true;
}

WholeCaptureResult WholeCaptureReader::Read() {
  target_.dataLength = 0;
  target_.bytesPerLine = 0;
  statistics_ = WholeCaptureStatistics{};
  if (target_.lines) target_.lines->clear();
  statistics_.columns = FindCaptureColumns(text_);
  if (columns_.fromHeader) {
    // The Data column's own width bounds each line; the count is for --inspect.
    statistics_.bytesPerLine = BytesPerLineOfWidth(columns_.dataWidth);
    if (statistics_.bytesPerLine > 0) statistics_.bytesPerLineSource = BytesPerLineSource::DataColumn;
  } else {
    // Without a header the data run to the end of the line, and only the count
    // keeps a full line's description from being read as bytes.
    statistics_.bytesPerLine = LearnBytesPerLineFromOffsets(text_, columns_);
    if (statistics_.bytesPerLine > 0) {
      statistics_.bytesPerLineSource = BytesPerLineSource::LineOffsets;
      lineLimit_ = static_cast<std::size_t>(statistics_.bytesPerLine);
    }
  }

  TextLines lines(text_, columns_.dumpStart);
  std::string_view line;
  platform::ProgressSteps steps(target_.progress);
  while (lines.Next(line)) {
    if (!steps.Continue(lines.Position())) return Fail(WholeCaptureResult::Cancelled);
    if (line.empty()) continue;
    const std::string_view phase = columns_.phase.Of(line);
    if (IsBlank(phase)) {
      if (!collecting_) continue;
      const std::size_t start = length_;
      if (!ReadLineBytes(line)) return Fail(failure_);
      NoteLine(line, start);
      continue;
    }
    if (!EndTransfer()) return Fail(failure_);
    if (Trimmed(phase) == "OUT" && !TakeOutLine(line)) return Fail(failure_);
  }
  if (!EndTransfer()) return Fail(failure_);
  if (!jobFound_) return Fail(WholeCaptureResult::NoJob);
  target_.dataLength = static_cast<std::int32_t>(length_);
  target_.bytesPerLine = statistics_.bytesPerLine;
  return WholeCaptureResult::Job;
}

}  // namespace

WholeCaptureResult ReadWholeCapture(std::string_view text, WholeCaptureTarget& target) {
  return WholeCaptureReader(text, target).Read();
}

}  // namespace tesk::capture
