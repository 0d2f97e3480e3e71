#include "cli/command_listing.h"

#include <cstdio>

#include "cli/json_text.h"
#include "cli/usb_capture_report.h"
#include "core/job_listing.h"
#include "core/layout_check.h"
#include "core/raster_source.h"
#include "core/run_messages.h"
#include "platform/file_system.h"
#include "platform/input_file.h"

namespace tesk::cli {
namespace {

bool LooksLikeArchive(const std::filesystem::path& path) {
  platform::InputFile file = platform::InputFile::Open(path);
  std::uint8_t signature[4] = {};
  return file.IsOpen() && file.ReadFully(signature) == 4 && signature[0] == 0x50 &&
         signature[1] == 0x4B && signature[2] == 0x03 && signature[3] == 0x04;
}

const char* KindText(core::CaptureKind kind) {
  switch (kind) {
    case core::CaptureKind::RawJob: return "raw job";
    case core::CaptureKind::UsbPacketCapture: return "USB packet capture";
    default: return "capture text";
  }
}

const char* BytesPerLineSourceText(capture::BytesPerLineSource source) {
  switch (source) {
    case capture::BytesPerLineSource::DataColumn: return "Data column width";
    case capture::BytesPerLineSource::LineOffsets: return "offsets of the lines";
    case capture::BytesPerLineSource::None: break;
  }
  return "none: each line's own layout";
}

std::string ColumnsText(const capture::CaptureColumns& columns) {
  if (!columns.fromHeader) return "no column heads: phase at 8 to 13, data from 15";
  std::string text;
  for (const capture::CaptureColumn& column : columns.columns)
    text += (text.empty() ? "" : " ") + std::string(capture::CaptureColumnHead(column.name)) + "@" +
            std::to_string(column.start);
  return text;
}

// Which reader took the job out of a capture text, and what the whole reader found.
std::string CaptureReadingText(core::CaptureReading reading, const capture::WholeCaptureStatistics& found) {
  if (reading == core::CaptureReading::Default) return "  capture reader: default (the first OUT transfer)\n";
  return "  capture reader: whole\n"
         "    columns: " + ColumnsText(found.columns) + "\n"
         "    bytes per line: " + std::to_string(found.bytesPerLine) + " (" +
         BytesPerLineSourceText(found.bytesPerLineSource) + ")\n"
         "    device: " + found.device + "\n"
         "    transfers taken: " + std::to_string(found.transfersTaken) +
         ", repeated: " + std::to_string(found.repeatedTransfers) + " (" +
         std::to_string(found.repeatCopies) + " copies added), to other devices: " +
         std::to_string(found.otherDeviceTransfers) + "\n";
}

std::string CaptureReadingJson(core::CaptureReading reading, const capture::WholeCaptureStatistics& found) {
  if (reading == core::CaptureReading::Default) return "{\"reader\":\"default\",\"transfersTaken\":1}";
  std::string columns;
  for (const capture::CaptureColumn& column : found.columns.columns)
    columns += std::string(columns.empty() ? "" : ",") +
               "{\"name\":" + JsonString(std::string(capture::CaptureColumnHead(column.name))) +
               ",\"start\":" + std::to_string(column.start) + ",\"width\":" + std::to_string(column.width) + "}";
  return std::string("{\"reader\":\"whole\",\"columnsFromHeader\":") +
         (found.columns.fromHeader ? "true" : "false") + ",\"columns\":[" + columns +
         "],\"bytesPerLine\":" + std::to_string(found.bytesPerLine) +
         ",\"bytesPerLineFrom\":" + JsonString(BytesPerLineSourceText(found.bytesPerLineSource)) +
         ",\"device\":" + JsonString(found.device) +
         ",\"transfersTaken\":" + std::to_string(found.transfersTaken) +
         ",\"repeatedTransfers\":" + std::to_string(found.repeatedTransfers) +
         ",\"repeatCopies\":" + std::to_string(found.repeatCopies) +
         ",\"otherDeviceTransfers\":" + std::to_string(found.otherDeviceTransfers) + "}";
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string TextReport(const std::filesystem::path& input, const std::filesystem::path& loaded,
                       core::CaptureKind kind, const core::RasterSource& source) {
  const std::span<const std::uint8_t> job = source.Job();
  std::string report = input.string() + "\n";
  if (loaded.filename() != input.filename()) report += "  archive entry: " + loaded.filename().string() + "\n";
  report += std::string("  ") + KindText(kind) + ", " + std::to_string(job.size()) + " bytes\n";
  if (kind == core::CaptureKind::UsbPacketCapture) report += FormatUsbCaptureText(source, true);
  if (kind == core::CaptureKind::CaptureText)
    report += CaptureReadingText(source.captureReading, source.captureStatistics);
  report += "    offset  bytes                            command   meaning\n";
  for (const core::CommandLine& command : core::ListCommands(job)) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "%10llu", static_cast<unsigned long long>(command.offset));
    report += std::string(offset) + "  " + Padded(command.bytes, 33) + Padded(command.name, 10) +
              command.detail + "\n";
  }
  const core::LayoutCheck check = core::CheckFixedLayout(job);
  report += "  fixed band layout:\n";
  for (const core::BandCheck& band : check.bands) {
    report += "    band " + std::to_string(band.band) + ": header expected at " +
              std::to_string(band.expectedHeader) + ": ";
    if (!band.found)
      report += "no GS v 0 there\n";
    else
      report += "GS v 0 " + std::to_string(band.widthBytes) + " x " + std::to_string(band.height) +
                (band.matches ? ", matches\n" : ", differs\n");
  }
  report += "  verdict: " + check.verdict + "\n";
  return report;
}

std::string JsonReport(const std::filesystem::path& input, const std::filesystem::path& loaded,
                       core::CaptureKind kind, const core::RasterSource& source) {
  const std::span<const std::uint8_t> job = source.Job();
  std::string json = "{\"path\":" + JsonString(input.string()) +
                     ",\"entry\":" + JsonString(loaded.filename().string()) + ",\"kind\":" +
                     JsonString(KindText(kind)) + ",\"dataLength\":" + std::to_string(job.size()) +
                     (kind == core::CaptureKind::UsbPacketCapture ? ",\"usbCapture\":" + FormatUsbCaptureJson(source, true)
                                                                   : std::string()) +
                     ",\"capture\":" +
                     (kind == core::CaptureKind::CaptureText
                          ? CaptureReadingJson(source.captureReading, source.captureStatistics)
                          : std::string("null")) +
                     ",\"commands\":[";
  bool first = true;
  for (const core::CommandLine& command : core::ListCommands(job)) {
    json += std::string(first ? "" : ",") + "{\"offset\":" + std::to_string(command.offset) +
            ",\"length\":" + std::to_string(command.length) + ",\"name\":" + JsonString(command.name) +
            ",\"bytes\":" + JsonString(command.bytes) + ",\"detail\":" + JsonString(command.detail) +
            ",\"cutOff\":" + (command.cutOff ? "true" : "false") + "}";
    first = false;
  }
  const core::LayoutCheck check = core::CheckFixedLayout(job);
  json += "],\"layout\":{\"expectedBands\":" + std::to_string(check.expectedBands) +
          ",\"rasterCommands\":" + std::to_string(check.rasterCommands) + ",\"bands\":[";
  for (std::size_t index = 0; index < check.bands.size(); ++index) {
    const core::BandCheck& band = check.bands[index];
    json += std::string(index ? "," : "") + "{\"band\":" + std::to_string(band.band) +
            ",\"expectedHeader\":" + std::to_string(band.expectedHeader) +
            ",\"found\":" + (band.found ? "true" : "false") +
            ",\"widthBytes\":" + std::to_string(band.widthBytes) +
            ",\"height\":" + std::to_string(band.height) +
            ",\"matches\":" + (band.matches ? "true" : "false") + "}";
  }
  json += std::string("],\"matches\":") + (check.matches ? "true" : "false") +
          ",\"verdict\":" + JsonString(check.verdict) + "}}";
  return json + "\n";
}

}  // namespace

std::string InspectJob(const std::filesystem::path& input, bool json, core::CaptureReading reading,
                       bool& failed) {
  failed = false;
  // An archive extracts beside itself when loaded; inspect a copy in a private
  // folder so that nothing appears beside the input.
  std::filesystem::path scratch;
  std::filesystem::path path = input;
  if (LooksLikeArchive(input)) {
    scratch = platform::CreateTemporaryFolder();
    path = scratch / input.filename();
    if (scratch.empty() || !platform::CopyFile(input, path)) path = input;
  }
  std::string report;
  {
    core::RasterSource source;
    source.listUsbTransfers = true;
    source.captureReading = reading;
    const core::CaptureKind kind = source.Load(path);
    if (kind == core::CaptureKind::OpenFailed || kind == core::CaptureKind::Invalid) {
      failed = true;
      const core::RunMessage message =
          core::MakeRunMessage(kind == core::CaptureKind::OpenFailed ? core::RunMessageCode::LoadFailed
                                                                     : core::RunMessageCode::InvalidData);
      // A USB packet capture without a job still tells what it held.
      const bool usbCapture = source.usbCapture.container != usbcap::UsbContainer::None;
      report = json ? "{\"path\":" + JsonString(input.string()) + ",\"message\":" + JsonString(message.text) +
                          (usbCapture ? ",\"usbCapture\":" + FormatUsbCaptureJson(source, false) : std::string()) +
                          "}\n"
                    : input.string() + "\n  " + message.text + "\n" +
                          (usbCapture ? FormatUsbCaptureText(source, false) : std::string());
    } else {
      report = json ? JsonReport(input, path, kind, source) : TextReport(input, path, kind, source);
    }
  }
  if (!scratch.empty()) platform::RemoveFolderTree(scratch);
  return report;
}

}  // namespace tesk::cli
