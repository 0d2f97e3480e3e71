#include "capture/capture_side_lists.h"

#include <algorithm>

#include "capture/piece_reader.h"
#include "capture/text_lines.h"

namespace tesk::capture {
namespace {

// The device of a device field, without its endpoint: "27" of "27.2".
std::string_view DeviceOf(std::string_view field) {
  const std::string_view device = Trimmed(field);
  return device.substr(0, device.find('.'));
}

std::string_view LineAt(std::string_view text, std::size_t position) {
  TextLines lines(text, position);
  std::string_view line;
  return lines.Next(line) ? line : std::string_view();
}

// Job bytes read from the lines that begin before `position`.
std::uint64_t JobBytesAbove(const std::vector<CaptureLineSpan>& lines, std::size_t position) {
  const auto after = std::upper_bound(lines.begin(), lines.end(), position,
                                      [](std::size_t value, const CaptureLineSpan& span) {
                                        return value <= span.textPosition;
                                      });
  if (after == lines.begin()) return 0;
  const CaptureLineSpan& last = *std::prev(after);
  return last.jobOffset + last.length;
}

// Counts line feeds from one position to the next, for positions in rising order.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}
  std::uint64_t LineAt(std::size_t position) {
    position = std::min(position, text_.size());
    if (position < position_) {  // not in rising order: count again from the start
      position_ = 0;
      line_ = 1;
    }
    line_ +=
        static_cast<std::uint64_t>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(position_),
                                              text_.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
    position_ = position;
    return line_;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
  std::uint64_t line_ = 1;
};

}  // namespace

void NoteCaptureLine(std::vector<CaptureLineSpan>& lines, std::string_view text, std::string_view line,
                     std::uint64_t from, std::uint64_t to) {
  if (to <= from) return;
  const auto start = static_cast<std::size_t>(line.data() - text.data());
  if (!lines.empty()) {
    CaptureLineSpan& run = lines.back();
    // The next line of the run: its bytes follow, as many as each line gave,
    // and nothing but a line end stands between the two lines.
    const std::string_view between =
        start >= run.textEnd ? text.substr(run.textEnd, start - run.textEnd) : std::string_view("?");
    if (run.period == 0 && run.jobOffset + run.length == from && to - from == run.lineBytes &&
        (between == "\n" || between == "\r\n")) {
      run.length += to - from;
      ++run.lineCount;
      run.textEnd = start + line.size();
      return;
    }
  }
  CaptureLineSpan span;
  span.jobOffset = from;
  span.length = to - from;
  span.textPosition = start;
  span.textEnd = start + line.size();
  span.lineBytes = to - from;
  lines.push_back(span);
}

void NoteCaptureRepeats(std::vector<CaptureLineSpan>& lines, std::uint64_t from, std::uint64_t copies,
                        std::uint64_t period) {
  if (copies == 0 || period == 0 || lines.empty()) return;
  CaptureLineSpan span;
  span.jobOffset = from;
  span.length = copies;
  // Placed at the transfer's last run, so that the text positions keep rising.
  span.textPosition = lines.back().textPosition;
  span.textEnd = lines.back().textEnd;
  span.period = period;
  lines.push_back(span);
}

CaptureColumns DefaultLayoutColumns() { return FindCaptureColumns(std::string_view()); }

void ListCaptureInTransfers(std::string_view text, const CaptureColumns& columns, std::size_t lineLimit,
                            CaptureSideLists& lists) {
  lists.inTransfers.clear();
  if (lists.lines.empty()) return;
  const std::string_view jobDevice =
      DeviceOf(columns.device.Of(LineAt(text, lists.lines.front().textPosition)));
  TextLines lines(text, columns.dumpStart);
  std::string_view line;
  std::vector<std::uint8_t> bytes;
  CaptureInTransfer* current = nullptr;
  for (std::size_t position = lines.Position(); lines.Next(line); position = lines.Position()) {
    if (line.empty()) continue;
    const std::string_view phase = columns.phase.Of(line);
    if (!IsBlank(phase)) {
      current = nullptr;
      if (Trimmed(phase) != "IN" || DeviceOf(columns.device.Of(line)) != jobDevice) continue;
      if (lists.inTransfers.size() >= kMostCaptureInTransfersListed) break;
      CaptureInTransfer& answer = lists.inTransfers.emplace_back();
      answer.jobOffset = JobBytesAbove(lists.lines, position);
      answer.textPosition = position;
      current = &answer;
    } else if (!current) {
      continue;
    }
    const std::string_view field = columns.data.Of(line);
    bytes.resize(std::min(lineLimit, (field.size() + 1) / 3));
    bytes.resize(ReadHexPairs(field, bytes.size(), bytes.data()));
    current->length += bytes.size();
    const std::size_t room = kCaptureInBytesListed - current->bytes.size();
    current->bytes.insert(current->bytes.end(), bytes.begin(),
                          bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
  }
  // A phase line that showed no byte answered nothing.
  std::erase_if(lists.inTransfers, [](const CaptureInTransfer& answer) { return answer.length == 0; });
}

void NumberCaptureLines(std::string_view text, CaptureSideLists& lists) {
  LineCounter jobLines(text);
  for (CaptureLineSpan& span : lists.lines) span.line = jobLines.LineAt(span.textPosition);
  LineCounter inLines(text);
  for (CaptureInTransfer& answer : lists.inTransfers) answer.line = inLines.LineAt(answer.textPosition);
}

std::optional<std::uint64_t> CaptureLineHolding(const std::vector<CaptureLineSpan>& lines,
                                                std::uint64_t offset) {
  // A repeat points back at bytes read from lines; one step always reaches them.
  for (int step = 0; step < 2; ++step) {
    const auto after = std::upper_bound(lines.begin(), lines.end(), offset,
                                        [](std::uint64_t value, const CaptureLineSpan& span) {
                                          return value < span.jobOffset;
                                        });
    if (after == lines.begin()) return std::nullopt;
    const CaptureLineSpan& span = *std::prev(after);
    if (offset - span.jobOffset >= span.length) return std::nullopt;
    if (span.period == 0) return span.line + (offset - span.jobOffset) / span.lineBytes;
    if (span.period > span.jobOffset) return std::nullopt;
    offset = span.jobOffset - span.period + (offset - span.jobOffset) % span.period;
  }
  return std::nullopt;
}

}  // namespace tesk::capture
