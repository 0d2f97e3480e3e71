#pragma once
// Where the fields of a capture's dump lines stand. The analyser lets the user
// choose and order its columns, and names them in a row of column heads with a
// row of dashes under it; without those rows its default layout is assumed.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tesk::capture {

enum class CaptureColumnName : std::uint8_t {
  Device,
  Address,
  Length,
  Phase,
  Data,
  Description,
  Delta,
  Command,  // Cmd.Phase.Ofs(rep)
  Date,
  Time,
  Driver,
  Unknown,
};

// The head the analyser writes over the column ("Cmd.Phase.Ofs(rep)"); "?" for Unknown.
std::string_view CaptureColumnHead(CaptureColumnName name);

// A column as its row of dashes shows it.
struct CaptureColumn {
  CaptureColumnName name = CaptureColumnName::Unknown;
  std::size_t start = 0;
  std::size_t width = 0;
};

// Characters [start, end) of a dump line; end npos reaches the end of the line.
// A field of a column the capture lacks has start npos and is always empty.
struct CaptureField {
  static constexpr std::size_t kNone = std::string_view::npos;
  std::size_t start = kNone;
  std::size_t end = kNone;

  bool present() const { return start != kNone; }
  std::string_view Of(std::string_view line) const {
    if (start >= line.size()) return {};
    return line.substr(start, (end < line.size() ? end : line.size()) - start);
  }
};

struct CaptureColumns {
  bool fromHeader = false;
  std::vector<CaptureColumn> columns;  // from the header, left to right; empty without one
  // Each field reaches up to the next column, so a value that spills into the
  // gap after its column is still read whole.
  CaptureField device;
  CaptureField phase;
  CaptureField data;
  CaptureField command;
  std::size_t dataWidth = 0;       // of the Data column's dashes; 0 without a header
  bool commandIsLastWord = false;  // without a header: the line's last word
  std::size_t dumpStart = 0;       // where the line after the dashes begins
};

// The header that names at least the Phase and Data columns, looked for in the
// first lines of the text; else the default places: phase at 8 to 13, data
// from 15, the device before them and the command the last word of the line.
CaptureColumns FindCaptureColumns(std::string_view text);

}  // namespace tesk::capture
