#include "capture/capture_columns.h"

#include <array>

#include "capture/text_lines.h"

namespace tesk::capture {
namespace {

// The analyser's preamble is a title and a legend of a few lines per device;
// the header stands well inside these bounds even for long device lists.
constexpr std::size_t kHeaderSearchLines = 4096;
constexpr std::size_t kHeaderSearchBytes = std::size_t{1} << 20;
// More columns than the analyser has names for, with room for ones we do not know.
constexpr std::size_t kMostColumns = 64;

constexpr std::array<std::string_view, 11> kHeads = {
    "Device", "Address", "Length", "Phase", "Data", "Description", "Delta", "Cmd.Phase.Ofs(rep)",
    "Date",   "Time",    "Driver",
};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t index = 0; index < a.size(); ++index) {
    const auto lowerA = static_cast<unsigned char>(a[index]) | 0x20;
    const auto lowerB = static_cast<unsigned char>(b[index]) | 0x20;
    if (lowerA != lowerB) return false;
  }
  return true;
}

CaptureColumnName NameOf(std::string_view head) {
  for (std::size_t index = 0; index < kHeads.size(); ++index)
    if (SameLetters(head, kHeads[index])) return static_cast<CaptureColumnName>(index);
  // Older versions and narrow columns shorten the command head.
  if (head.size() >= 4 && SameLetters(head.substr(0, 4), "Cmd.")) return CaptureColumnName::Command;
  return CaptureColumnName::Unknown;
}

// The runs of dashes of a line made of dashes and spaces only, at least two of them.
bool ReadDashRuns(std::string_view line, std::vector<CaptureColumn>& runs) {
  runs.clear();
  std::size_t index = 0;
  while (index < line.size()) {
    if (line[index] == ' ') {
      ++index;
      continue;
    }
    if (line[index] != '-') return false;
    const std::size_t start = index;
    while (index < line.size() && line[index] == '-') ++index;
    if (runs.size() == kMostColumns) return false;
    runs.push_back({CaptureColumnName::Unknown, start, index - start});
  }
  return runs.size() >= 2;
}

// Names the runs from the heads above them; true when Phase and Data are among them.
bool NameColumns(std::string_view heads, std::vector<CaptureColumn>& runs) {
  bool phase = false;
  bool data = false;
  for (std::size_t index = 0; index < runs.size(); ++index) {
    const std::size_t start = runs[index].start;
    const std::size_t end = index + 1 < runs.size() ? runs[index + 1].start : heads.size();
    const std::string_view head =
        start < heads.size() ? Trimmed(heads.substr(start, end - start)) : std::string_view();
    runs[index].name = NameOf(head);
    phase = phase || runs[index].name == CaptureColumnName::Phase;
    data = data || runs[index].name == CaptureColumnName::Data;
  }
  return phase && data;
}

CaptureColumns FromHeader(std::vector<CaptureColumn> columns, std::size_t dumpStart) {
  CaptureColumns found;
  found.fromHeader = true;
  found.dumpStart = dumpStart;
  for (std::size_t index = 0; index < columns.size(); ++index) {
    const CaptureColumn& column = columns[index];
    const CaptureField field{column.start,
                             index + 1 < columns.size() ? columns[index + 1].start : CaptureField::kNone};
    // The first of two columns of one name is the one read.
    switch (column.name) {
      case CaptureColumnName::Device:
        if (!found.device.present()) found.device = field;
        break;
      case CaptureColumnName::Phase:
        if (!found.phase.present()) found.phase = field;
        break;
      case CaptureColumnName::Data:
        if (!found.data.present()) {
          found.data = field;
          found.dataWidth = column.width;
        }
        break;
      case CaptureColumnName::Command:
        if (!found.command.present()) found.command = field;
        break;
      default: break;
    }
  }
  found.columns = std::move(columns);
  return found;
}

CaptureColumns DefaultPlaces() {
  CaptureColumns places;
  places.device = {0, 8};
  places.phase = {8, 14};
  places.data = {15, CaptureField::kNone};
  places.commandIsLastWord = true;
  return places;
}

}  // namespace

std::string_view CaptureColumnHead(CaptureColumnName name) {
  const auto index = static_cast<std::size_t>(name);
  return index < kHeads.size() ? kHeads[index] : std::string_view("?");
}

CaptureColumns FindCaptureColumns(std::string_view text) {
  TextLines lines(text);
  std::string_view line;
  std::string_view previous;
  std::vector<CaptureColumn> runs;
  for (std::size_t count = 0; count < kHeaderSearchLines && lines.Position() < kHeaderSearchBytes; ++count) {
    if (!lines.Next(line)) break;
    if (!previous.empty() && ReadDashRuns(line, runs) && NameColumns(previous, runs))
      return FromHeader(std::move(runs), lines.Position());
    previous = line;
  }
  return DefaultPlaces();
}

}  // namespace tesk::capture
