#pragma once
// Writes USB capture text as Bus Hound lays it out, by default in its default
// layout, so that tests and benchmarks can make captures of jobs of our own.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tesk::tools {

struct CaptureTransfer {
  std::string phase;  // "OUT", "IN", "CTL"; any text of up to five characters
  std::vector<std::uint8_t> bytes;
  // Shown on the transfer's first line instead of its bytes as ASCII (the
  // analyser names control requests this way, e.g. "CLASS").
  std::string description;
  // The analyser shows a phase seen several times in a row once, with the
  // count after its first offset: "85.1.0(3)".
  int repeats = 1;
  // Empty: the layout's device. Another one stands for a second device or
  // endpoint on the same capture.
  std::string device{};
};

// The columns the analyser can show, in any order the user sets up.
enum class DumpColumn {
  Device,
  Address,
  Length,
  Phase,
  Data,
  Description,
  Delta,
  Command,
  Date,
  Time,
  Driver
};

inline std::vector<DumpColumn> DefaultDumpColumns() {
  return {DumpColumn::Device, DumpColumn::Phase, DumpColumn::Data, DumpColumn::Description,
          DumpColumn::Command};
}

struct CaptureLayout {
  int bytesPerLine = 16;  // 4, 8, 16, 32 or 64 in the analyser's settings
  std::string device = "27.2";
  std::vector<DumpColumn> columns = DefaultDumpColumns();
  std::string lineEnd = "\r\n";  // "\n" as files that passed through other tools have it
  // Delta, Date and Time on every line of a transfer, not on its first line
  // only: their dots then stand on the lines that tell the offset too.
  bool timingOnEveryLine = false;
};

// Width of the Data column: two digits per byte, one space between bytes and
// two between groups of four.
int DataColumnWidth(int bytesPerLine);

// The capture of `transfers`, one command each, numbered from 1: the title line,
// the legend, the column heads and then the dump lines, every line ending with
// the layout's line end. `sink` receives the text in pieces of whole lines, so
// that a capture of hundreds of megabytes never has to be held in memory at once.
void WriteCaptureText(const CaptureLayout& layout, std::span<const CaptureTransfer> transfers,
                      const std::function<void(std::string_view)>& sink);

std::string MakeCaptureText(const CaptureLayout& layout, std::span<const CaptureTransfer> transfers);

}  // namespace tesk::tools
