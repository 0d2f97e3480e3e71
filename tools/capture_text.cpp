#include "tools/capture_text.h"

#include <algorithm>

namespace tesk::tools {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kFieldGap = "  ";
constexpr std::size_t kDeviceWidth = 6;
constexpr std::size_t kPhaseWidth = 5;
constexpr std::string_view kCommandHead = "Cmd.Phase.Ofs(rep)";
constexpr std::string_view kDescriptionHead = "Description";
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

std::size_t DescriptionColumnWidth(int bytesPerLine) {
  return std::max(static_cast<std::size_t>(bytesPerLine), kDescriptionHead.size());
}

void AppendHeader(std::string& out, const CaptureLayout& layout) {
  const std::string_view device = layout.device;
  const std::string_view deviceNumber = device.substr(0, device.find('.'));
  out += "Bus Hound 6.01 capture on Windows 10 (x64). Complements of www.perisoft.net\r\n";
  out += kLineEnd;
  out += "  Device - Device ID (followed by the endpoint for USB devices)\r\n";
  out += "              (";
  out += deviceNumber;
  out += ") USB Printing Support\r\n";
  out += "  Phase  - Phase Type\r\n";
  out += "              CTL   USB control transfer\r\n";
  out += "              IN    Data in transfer\r\n";
  out += "              OUT   Data out transfer\r\n";
  out += "  Data   - Hex dump of the data transferred\r\n";
  out += "  Description - The data as ASCII\r\n";
  out += "  Cmd.Phase.Ofs(rep) - Command, phase and byte offset (repeat count)\r\n";
  out += kLineEnd;
  out += kLineEnd;

  const auto dataWidth = static_cast<std::size_t>(DataColumnWidth(layout.bytesPerLine));
  const std::size_t descriptionWidth = DescriptionColumnWidth(layout.bytesPerLine);
  out += "Device  Phase  ";
  AppendPadded(out, "Data", dataWidth);
  out += kFieldGap;
  AppendPadded(out, kDescriptionHead, descriptionWidth);
  out += kFieldGap;
  out += kCommandHead;
  out += kLineEnd;
  out.append(kDeviceWidth, '-');
  out += kFieldGap;
  out.append(kPhaseWidth, '-');
  out += kFieldGap;
  out.append(dataWidth, '-');
  out += kFieldGap;
  out.append(descriptionWidth, '-');
  out += kFieldGap;
  out.append(kCommandHead.size(), '-');
  out += kLineEnd;
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
  constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

char AsciiOf(std::uint8_t byte) {
  return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
}

// One dump line: the bytes at `offset` of one transfer.
void AppendDumpLine(std::string& out, const CaptureLayout& layout, const CaptureTransfer& transfer,
                    int command, std::size_t offset) {
  const auto perLine = static_cast<std::size_t>(layout.bytesPerLine);
  const std::size_t count = std::min(perLine, transfer.bytes.size() - offset);
  const auto line = std::span<const std::uint8_t>(transfer.bytes).subspan(offset, count);
  const bool first = offset == 0;

  AppendRightAligned(out, first ? std::string_view(layout.device) : std::string_view(), kDeviceWidth);
  out += kFieldGap;
  AppendPadded(out, first ? std::string_view(transfer.phase) : std::string_view(), kPhaseWidth);
  out += kFieldGap;

  const std::size_t dataStart = out.size();
  for (std::size_t index = 0; index < line.size(); ++index) {
    if (index > 0) out += index % 4 == 0 ? "  " : " ";
    AppendHexByte(out, line[index]);
  }
  out.append(static_cast<std::size_t>(DataColumnWidth(layout.bytesPerLine)) - (out.size() - dataStart),
             ' ');
  out += kFieldGap;

  const std::size_t descriptionStart = out.size();
  if (first && !transfer.description.empty()) {
    out += transfer.description;
  } else {
    for (const std::uint8_t byte : line) out += AsciiOf(byte);
  }
  const std::size_t descriptionLength = out.size() - descriptionStart;
  const std::size_t descriptionWidth = DescriptionColumnWidth(layout.bytesPerLine);
  if (descriptionLength < descriptionWidth) out.append(descriptionWidth - descriptionLength, ' ');
  out += kFieldGap;

  // Every transfer is phase 1 of a command of its own.
  const std::size_t commandStart = out.size();
  AppendRightAligned(out, std::to_string(command), kCommandNumberWidth);
  out += ".1.";
  out += std::to_string(offset);
  const std::size_t commandLength = out.size() - commandStart;
  if (commandLength < kCommandHead.size()) out.append(kCommandHead.size() - commandLength, ' ');
  out += kFieldGap;
  out += kLineEnd;
}

}  // namespace

int DataColumnWidth(int bytesPerLine) {
  return std::max(3 * bytesPerLine - 1 + (bytesPerLine - 1) / 4, 4);
}

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
