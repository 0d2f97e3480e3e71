#pragma once
// Writes USB capture text in Bus Hound's default layout, so that tests and
// benchmarks can make captures of jobs of our own.

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
};

struct CaptureLayout {
  int bytesPerLine = 16;  // 4, 8, 16, 32 or 64 in the analyser's settings
  std::string device = "27.2";
};

// Width of the Data column: two digits per byte, one space between bytes and
// two between groups of four.
int DataColumnWidth(int bytesPerLine);

// The capture of `transfers`, one command each, numbered from 1: the title line,
// the legend, the column heads and then the dump lines, all ending with CR LF.
// `sink` receives the text in pieces of whole lines, so that a capture of
// hundreds of megabytes never has to be held in memory at once.
void WriteCaptureText(const CaptureLayout& layout, std::span<const CaptureTransfer> transfers,
                      const std::function<void(std::string_view)>& sink);

std::string MakeCaptureText(const CaptureLayout& layout, std::span<const CaptureTransfer> transfers);

}  // namespace tesk::tools
