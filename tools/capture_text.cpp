#include "tools/capture_text.h"

#include <algorithm>
#include <cstdio>

namespace tesk::tools {
namespace {

constexpr std::string_view kFieldGap = "  ";
constexpr std::string_view kDescriptionHead = "Description";
constexpr std::size_t kCommandWidth = 18;  // as wide as its head, Cmd.Phase.Ofs(rep)
constexpr std::size_t kCommandNumberWidth = 8;
// Text is handed on once this much has gathered.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
  out += text;
  if (text.size() < width) out.append(width - text.size(), ' ');
}

void AppendRightAligned(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

std::string_view HeadOf(DumpColumn column) {
  switch (column) {
    case DumpColumn::Device: return "Device";
    case DumpColumn::Address: return "Address";
    case DumpColumn::Length: return "Length";
    case DumpColumn::Phase: return "Phase";
    case DumpColumn::Data: return "Data";
    case DumpColumn::Description: return kDescriptionHead;
    case DumpColumn::Delta: return "Delta";
    case DumpColumn::Command: return "Cmd.Phase.Ofs(rep)";
    case DumpColumn::Date: return "Date";
    case DumpColumn::Time: return "Time";
    case DumpColumn::Driver: return "Driver";
  }
  return "";
}

std::size_t WidthOf(DumpColumn column, int bytesPerLine) {
  switch (column) {
    case DumpColumn::Device: return 6;
    case DumpColumn::Address: return 7;
    case DumpColumn::Length: return 8;
    case DumpColumn::Phase: return 5;
    case DumpColumn::Data: return static_cast<std::size_t>(DataColumnWidth(bytesPerLine));
    case DumpColumn::Description:
      return std::max(static_cast<std::size_t>(bytesPerLine), kDescriptionHead.size());
    case DumpColumn::Delta: return 6;
    case DumpColumn::Command: return kCommandWidth;
    case DumpColumn::Date: return 10;
    case DumpColumn::Time: return 12;
    case DumpColumn::Driver: return 8;
  }
  return 0;
}

void AppendLegend(std::string& out, DumpColumn column, std::string_view deviceNumber, std::string_view end) {
  auto line = [&](std::string_view text) {
    out += text;
    out += end;
  };
  switch (column) {
    case DumpColumn::Device:
      line("  Device - Device ID (followed by the endpoint for USB devices)");
      line("              (" + std::string(deviceNumber) + ") USB Printing Support");
      break;
    case DumpColumn::Address: line("  Address - Device address"); break;
    case DumpColumn::Length: line("  Length - Total transfer length"); break;
    case DumpColumn::Phase:
      line("  Phase  - Phase Type");
      line("              CTL   USB control transfer");
      line("              IN    Data in transfer");
      line("              OUT   Data out transfer");
      break;
    case DumpColumn::Data: line("  Data   - Hex dump of the data transferred"); break;
    case DumpColumn::Description: line("  Description - The data as ASCII"); break;
    case DumpColumn::Delta: line("  Delta  - Elapsed time from the previous phase"); break;
    case DumpColumn::Command:
      line("  Cmd.Phase.Ofs(rep) - Command, phase and byte offset (repeat count)");
      break;
    case DumpColumn::Date: line("  Date   - Date the phase was captured"); break;
    case DumpColumn::Time: line("  Time   - Time the phase was captured"); break;
    case DumpColumn::Driver: line("  Driver - Driver that issued the request"); break;
  }
}

void AppendHeader(std::string& out, const CaptureLayout& layout) {
  const std::string_view end = layout.lineEnd;
  const std::string_view device = layout.device;
  const std::string_view deviceNumber = device.substr(0, device.find('.'));
  out += "Bus Hound 6.01 capture on Windows 10 (x64). Complements of www.perisoft.net";
  out += end;
  out += end;
  for (const DumpColumn column : layout.columns) AppendLegend(out, column, deviceNumber, end);
  out += end;
  out += end;

  // The heads, then a row of dashes as wide as each column.
  for (std::size_t index = 0; index < layout.columns.size(); ++index) {
    const DumpColumn column = layout.columns[index];
    if (index + 1 < layout.columns.size()) {
      AppendPadded(out, HeadOf(column), WidthOf(column, layout.bytesPerLine));
      out += kFieldGap;
    } else {
      out += HeadOf(column);
    }
  }
  out += end;
  for (std::size_t index = 0; index < layout.columns.size(); ++index) {
    if (index > 0) out += kFieldGap;
    out.append(WidthOf(layout.columns[index], layout.bytesPerLine), '-');
  }
  out += end;
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

char AsciiOf(std::uint8_t byte) { return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.'; }

// What the timing columns show for a command: made up, but shaped like the
// analyser's, dots included.
std::string DeltaOf(int command) {
  return std::to_string(command % 9 + 1) + "." + std::to_string(command % 10) + "ms";
}

std::string TimeOf(int command) {
  char text[16];
  std::snprintf(text, sizeof text, "09:%02d:%02d.%03d", command / 60 % 60, command % 60, command * 37 % 1000);
  return text;
}

// GCC 12 at -O3 reports an overlap inside std::string's concatenation that cannot
// happen (its -Wrestrict false positive on operator+); later compilers do not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
// One dump line: the bytes at `offset` of one transfer.
void AppendDumpLine(std::string& out, const CaptureLayout& layout, const CaptureTransfer& transfer,
                    int command, std::size_t offset) {
  const auto perLine = static_cast<std::size_t>(layout.bytesPerLine);
  const std::size_t count = std::min(perLine, transfer.bytes.size() - offset);
  const auto line = std::span<const std::uint8_t>(transfer.bytes).subspan(offset, count);
  const bool first = offset == 0;
  const bool timing = first || layout.timingOnEveryLine;
  const std::string_view device = transfer.device.empty() ? layout.device : transfer.device;

  for (const DumpColumn column : layout.columns) {
    const std::size_t width = WidthOf(column, layout.bytesPerLine);
    const std::size_t start = out.size();
    switch (column) {
      case DumpColumn::Device: AppendRightAligned(out, first ? device : std::string_view(), width); break;
      case DumpColumn::Address:
        if (first) AppendRightAligned(out, device.substr(0, device.find('.')), width);
        break;
      case DumpColumn::Length:
        if (first) AppendRightAligned(out, std::to_string(transfer.bytes.size()), width);
        break;
      case DumpColumn::Phase:
        if (first) out += transfer.phase;
        break;
      case DumpColumn::Data:
        for (std::size_t index = 0; index < line.size(); ++index) {
          if (index > 0) out += index % 4 == 0 ? "  " : " ";
          AppendHexByte(out, line[index]);
        }
        break;
      case DumpColumn::Description:
        if (first && !transfer.description.empty()) {
          out += transfer.description;
        } else {
          for (const std::uint8_t byte : line) out += AsciiOf(byte);
        }
        break;
      case DumpColumn::Delta:
        if (timing) AppendRightAligned(out, DeltaOf(command), width);
        break;
      case DumpColumn::Command:
        // Every transfer is phase 1 of a command of its own.
        AppendRightAligned(out, std::to_string(command), kCommandNumberWidth);
        out += ".1.";
        out += std::to_string(offset);
        if (first && transfer.repeats > 1) out += "(" + std::to_string(transfer.repeats) + ")";
        break;
      case DumpColumn::Date:
        if (timing) out += "12/10/2025";
        break;
      case DumpColumn::Time:
        if (timing) out += TimeOf(command);
        break;
      case DumpColumn::Driver:
        if (first) out += "usbprint";
        break;
    }
    const std::size_t length = out.size() - start;
    if (length < width) out.append(width - length, ' ');
    out += kFieldGap;
  }
  out += layout.lineEnd;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace

int DataColumnWidth(int bytesPerLine) { return std::max(3 * bytesPerLine - 1 + (bytesPerLine - 1) / 4, 4); }

void WriteCaptureText(const CaptureLayout& requested, std::span<const CaptureTransfer> transfers,
                      const std::function<void(std::string_view)>& sink) {
  CaptureLayout layout = requested;
  layout.bytesPerLine = std::max(layout.bytesPerLine, 1);
  std::string out;
  out.reserve(kChunkSize + 1024);
  AppendHeader(out, layout);
  const auto perLine = static_cast<std::size_t>(layout.bytesPerLine);
  int command = 0;
  for (const CaptureTransfer& transfer : transfers) {
    ++command;
    // A transfer without bytes still has its line.
    std::size_t offset = 0;
    do {
      AppendDumpLine(out, layout, transfer, command, offset);
      if (out.size() >= kChunkSize) {
        sink(out);
        out.clear();
      }
      offset += perLine;
    } while (offset < transfer.bytes.size());
  }
  if (!out.empty()) sink(out);
}

std::string MakeCaptureText(const CaptureLayout& layout, std::span<const CaptureTransfer> transfers) {
  std::string text;
  WriteCaptureText(layout, transfers, [&text](std::string_view piece) { text += piece; });
  return text;
}

}  // namespace tesk::tools
