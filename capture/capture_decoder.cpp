#include "capture/capture_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "capture/capture_columns.h"
#include "capture/piece_reader.h"
#include "capture/text_lines.h"

namespace tesk::capture {
namespace {

constexpr std::size_t kPhaseFieldStart = 8;
constexpr std::size_t kPhaseFieldWidth = 6;
constexpr std::size_t kDataFieldStart = 15;
constexpr std::size_t kNoLineEnd = std::string_view::npos;

enum class LineRole {
  TransferStart,  // the phase field names OUT
  OtherTransfer,  // IN or CTL: ends the collection of the current transfer
  Continuation,   // the phase field is six spaces
  Unrelated,      // anything else: headers, other phases
};

// Where the CR LF that ends the line starting at `from` begins. A lone CR or
// LF inside a line does not end it.
std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  const char* const characters = text.data();
  std::size_t next = from + 1;  // where the LF of a CR LF at `from` would stand
  while (next < text.size()) {
    const void* found = std::memchr(characters + next, '\n', text.size() - next);
    if (!found) return kNoLineEnd;
    const std::size_t lineFeed = static_cast<std::size_t>(static_cast<const char*>(found) - characters);
    if (characters[lineFeed - 1] == '\r') return lineFeed - 1;
    next = lineFeed + 1;
  }
  return kNoLineEnd;
}

LineRole RoleOf(std::string_view line) {
  // Continuation lines are nearly every line of a capture; six spaces cannot
  // hold a phase name, so they are told first.
  if (line.size() >= kPhaseFieldStart + kPhaseFieldWidth &&
      std::memcmp(line.data() + kPhaseFieldStart, "      ", kPhaseFieldWidth) == 0)
    return LineRole::Continuation;
  const std::string_view phase =
      line.size() > kPhaseFieldStart ? line.substr(kPhaseFieldStart, kPhaseFieldWidth) : std::string_view();
  if (phase.find("OUT") != std::string_view::npos) return LineRole::TransferStart;
  if (phase.find("IN") != std::string_view::npos || phase.find("CTL") != std::string_view::npos)
    return LineRole::OtherTransfer;
  return LineRole::Unrelated;
}

std::string_view DataField(std::string_view line) {
  return line.size() > kDataFieldStart ? line.substr(kDataFieldStart) : std::string_view();
}

// The data field of a line, cut where the Data column ends when the capture's
// header names its columns.
std::string_view DataColumnOf(std::string_view line, const CaptureColumns& columns) {
  std::string_view field = DataField(line);
  if (columns.fromHeader && columns.data.end > kDataFieldStart && columns.data.end != CaptureField::kNone)
    field = field.substr(0, columns.data.end - kDataFieldStart);
  return field;
}

std::string_view DataColumnOf(std::string_view line, std::string_view text) {
  return DataColumnOf(line, FindCaptureColumns(text));
}

// A transfer must be a print job: its first two bytes ESC @, hex letters of
// either case.
bool BeginsWithEscAt(std::string_view field) {
  constexpr std::string_view kEscAt = "1b 40";
  if (field.size() < kEscAt.size()) return false;
  for (std::size_t index = 0; index < kEscAt.size(); ++index) {
    char character = field[index];
    if (character >= 'A' && character <= 'Z') character = static_cast<char>(character - 'A' + 'a');
    if (character != kEscAt[index]) return false;
  }
  return true;
}

// The offset of the transfer's second line, which is the count of bytes a full
// line shows: the number after the line's last ".".
bool ReadLineOffset(std::string_view field, std::int32_t& offset) {
  const std::size_t lastDot = field.rfind('.');
  return ReadDecimalInt(lastDot == std::string_view::npos ? field : field.substr(lastDot + 1), offset);
}

bool IsDigit(char character) { return character >= '0' && character <= '9'; }

// Reads a whole Cmd.Phase.Ofs(rep) value, "2.1.16" or "85.1.0(3)": three
// runs of digits joined by dots, perhaps a repeat count in brackets. The
// offset is the third number.
bool ReadCommandOffset(std::string_view word, std::int32_t& offset) {
  std::size_t index = 0;
  std::size_t offsetStart = 0;
  for (int number = 0; number < 3; ++number) {
    if (number > 0) {
      if (index == word.size() || word[index] != '.') return false;
      ++index;
    }
    const std::size_t start = index;
    while (index < word.size() && IsDigit(word[index])) ++index;
    if (index == start) return false;
    offsetStart = start;
  }
  const std::string_view rest = word.substr(index);
  if (!rest.empty()) {
    if (rest.size() < 3 || rest.front() != '(' || rest.back() != ')') return false;
    for (const char character : rest.substr(1, rest.size() - 2))
      if (!IsDigit(character)) return false;
  }
  return ReadDecimalInt(word.substr(offsetStart, index - offsetStart), offset);
}

// The word of `field` (between spaces) that holds position `at`.
std::string_view WordAt(std::string_view field, std::size_t at) {
  const std::size_t before = field.rfind(' ', at);
  const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
  const std::size_t end = std::min(field.find(' ', at), field.size());
  return field.substr(start, end - start);
}

// How many bytes a line shows in its Data column.
std::size_t BytesShownOn(std::string_view line, const CaptureColumns& columns) {
  const std::string_view field = DataColumnOf(line, columns);
  std::vector<std::uint8_t> scratch(field.size() / 3 + 1);
  return ReadHexPairs(field, scratch.size(), scratch.data());
}

// The offset of a line read from its Cmd.Phase.Ofs column: where the header
// puts it, else the last word of the line shaped like it. Only an offset of
// at most `most` bytes is taken, so a date such as 10.12.2025 is passed over.
bool FindCommandOffset(std::string_view line, const CaptureColumns& columns, std::size_t most,
                       std::int32_t& offset) {
  auto fits = [most](std::int32_t value) { return value > 0 && static_cast<std::size_t>(value) <= most; };
  if (columns.command.present() && ReadCommandOffset(Trimmed(columns.command.Of(line)), offset) &&
      fits(offset))
    return true;
  const std::string_view field = DataField(line);
  for (std::size_t end = field.size(); end > 0;) {
    const std::size_t before = field.rfind(' ', end - 1);
    const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
    if (ReadCommandOffset(field.substr(start, end - start), offset) && fits(offset)) return true;
    if (before == std::string_view::npos) break;
    end = before;
  }
  return false;
}

// Reads at most `limit` bytes of one line into `out` and returns how many.
// The bytes are separated by one space, or two between groups; a run of three
// or more spaces ends them, as does the end of the field or a piece that is no
// hexadecimal number. The columns after a full line are never reached.
std::size_t ReadLineBytes(std::string_view field, std::size_t limit, std::uint8_t* out) {
  const char* cursor = field.data();
  const char* const end = cursor + field.size();
  std::size_t count = 0;
  while (count < limit) {
    const char* pieceEnd;
    // Nearly every piece is two digits followed by a space.
    const int high = end - cursor >= 3 ? HexDigitValue(static_cast<unsigned char>(cursor[0])) : -1;
    const int low = high >= 0 ? HexDigitValue(static_cast<unsigned char>(cursor[1])) : -1;
    if (low >= 0 && cursor[2] == ' ') {
      out[count++] = static_cast<std::uint8_t>(high << 4 | low);
      pieceEnd = cursor + 2;
    } else {
      pieceEnd = std::find(cursor, end, ' ');
      if (pieceEnd == cursor) break;  // an empty piece
      if (!ReadHexByte(std::string_view(cursor, static_cast<std::size_t>(pieceEnd - cursor)), out[count]))
        break;
      ++count;
    }
    if (pieceEnd == end) break;
    const char* next = pieceEnd + 1;
    if (next != end && *next == ' ') {
      ++next;
      if (next != end && *next == ' ') break;  // the run after a short last line
    }
    cursor = next;
  }
  return count;
}

// What the scanner does with one line of the capture.
enum class LineStep {
  Skip,  // not part of the transfer being collected
  Take,  // a line of that transfer
  Stop,  // the job's transfer is over
};

// One decoding of a capture text. The first pass finds the job's transfer and
// learns from its second line how many bytes a full line shows; the second
// pass reads the text again from its start and collects the transfer's bytes.
struct CaptureScan {
  std::string_view text;
  CaptureDecodeTarget& target;
  std::size_t capacity = 0;
  bool collecting = false;
  bool secondPass = false;
  bool firstLineRead = false;            // of the current OUT transfer, in the first pass
  std::string_view jobFirstLine{};       // the first OUT line, whose data began with ESC @
  std::string_view transferFirstLine{};  // of the OUT transfer being read in the first pass
  std::size_t position = 0;

  // The next whole line, without its CR LF; false at the end of the text.
  bool NextLine(std::string_view& line) {
    const std::size_t lineEnd = FindLineEnd(text, position);
    if (lineEnd == kNoLineEnd) return false;
    line = text.substr(position, lineEnd - position);
    position = lineEnd + 2;
    return true;
  }

  // Follows the transfers: an OUT line starts one, an IN or CTL line ends it.
  LineStep Follow(std::string_view line) {
    const LineRole role = RoleOf(line);
    if (role == LineRole::OtherTransfer) {
      collecting = false;
      return LineStep::Skip;
    }
    if (role == LineRole::Unrelated || (role == LineRole::Continuation && !collecting)) return LineStep::Skip;
    if (role == LineRole::TransferStart) {
      if (target.dataLength > 0) return LineStep::Stop;  // the next transfer ends the job's
      collecting = true;
      firstLineRead = false;
    }
    return LineStep::Take;
  }

  // In the second pass: the line's bytes, at most a full line's count.
  void CollectLine(std::string_view line) {
    const std::size_t room = capacity - static_cast<std::size_t>(target.dataLength);
    const std::size_t limit = std::min(static_cast<std::size_t>(target.bytesPerLine), room);
    const std::int32_t lineStart = target.dataLength;
    target.dataLength += static_cast<std::int32_t>(
        ReadLineBytes(DataField(line), limit, target.data.data() + target.dataLength));
    if (target.lines) NoteCaptureLine(*target.lines, text, line, lineStart, target.dataLength);
  }

  // The transfer's first line must begin with ESC @; false when it does not.
  bool TakeFirstLine(std::string_view line) {
    if (!BeginsWithEscAt(DataField(line))) return false;
    if (!target.kindIsCapture) jobFirstLine = line;
    transferFirstLine = line;
    target.kindIsCapture = true;
    firstLineRead = true;
    return true;
  }

  // How many bytes a full line shows, read from the transfer's second line:
  // the number after its last ".", which is the offset in the Cmd.Phase.Ofs
  // column when that column is the last one. When the user put another column
  // with dots after it (a time, a delta), that number is not the offset: the
  // count is then read from the Cmd.Phase.Ofs column itself. A full line
  // never shows more bytes than the transfer's first line, so a count above
  // that is refused rather than let the text of other columns into the job.
  bool ReadBytesPerLine(std::string_view line, std::int32_t& bytesPerLine) const {
    const std::string_view field = DataField(line);
    const bool read = ReadLineOffset(field, bytesPerLine) && bytesPerLine > 0;
    const CaptureColumns columns = FindCaptureColumns(text);
    const std::size_t shown = BytesShownOn(transferFirstLine, columns);
    const bool possible = read && static_cast<std::size_t>(bytesPerLine) <= shown;
    const std::size_t lastDot = field.rfind('.');
    std::int32_t offset = 0;
    if (possible && lastDot != std::string_view::npos && ReadCommandOffset(WordAt(field, lastDot), offset))
      return true;
    if (FindCommandOffset(line, columns, shown, offset)) {
      bytesPerLine = offset;
      return true;
    }
    return possible;
  }

  // The transfer's second line: learn the count, then read the text again
  // from its first line with it. False when the line gives no count.
  bool LearnBytesPerLine(std::string_view line) {
    std::int32_t bytesPerLine = 0;
    if (!ReadBytesPerLine(line, bytesPerLine)) return false;
    target.bytesPerLine = bytesPerLine;
    secondPass = true;
    // Collection starts at the transfer's OUT line, never at an indented line
    // of the header above it.
    collecting = false;
    position = 0;
    return true;
  }

  // The job's transfer was a single line and no later transfer told how long
  // a line is. The line's own layout ends its bytes: they stop where the
  // header's row of dashes ends the Data column, at a run of spaces, or at
  // the first piece that is not two hex digits (a description, a date, a
  // time), so no other column is ever read as bytes.
  void ReadSingleLineTransfer() {
    target.dataLength = static_cast<std::int32_t>(
        ReadHexPairs(DataColumnOf(jobFirstLine, text), capacity, target.data.data()));
    if (target.lines) NoteCaptureLine(*target.lines, text, jobFirstLine, 0, target.dataLength);
  }
};

}  // namespace

int DecodeCaptureText(std::string_view text, CaptureDecodeTarget& target) {
  target.kindIsCapture = false;
  target.dataLength = 0;
  target.bytesPerLine = 0;
  // dataLength is a 32-bit count; a larger buffer is used up to that count.
  const std::size_t capacity =
      std::min<std::size_t>(target.data.size(), std::numeric_limits<std::int32_t>::max());
  CaptureScan scan{text, target, capacity};
  target.cancelled = false;
  platform::ProgressSteps steps(target.progress);

  for (std::string_view line; scan.NextLine(line);) {
    if (!steps.Continue(scan.position)) {
      target.cancelled = true;
      target.kindIsCapture = false;
      target.dataLength = 0;
      return 0;
    }
    if (line.empty()) continue;
    const LineStep step = scan.Follow(line);
    if (step == LineStep::Stop) break;
    if (step == LineStep::Skip) continue;
    if (scan.secondPass) {
      scan.CollectLine(line);
      continue;
    }
    if (!scan.firstLineRead) {
      if (!scan.TakeFirstLine(line)) break;
      continue;
    }
    if (!scan.LearnBytesPerLine(line)) {
      // Without a count every further pass would stop at this same line.
      target.kindIsCapture = false;
      return 0;
    }
  }

  if (target.kindIsCapture && !scan.secondPass) scan.ReadSingleLineTransfer();
  return target.kindIsCapture ? 1 : 0;
}

}  // namespace tesk::capture
