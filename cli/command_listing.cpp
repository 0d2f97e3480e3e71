#include "cli/command_listing.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "cli/paper_listing.h"
#include "cli/usb_capture_report.h"
#include "commands/command_scanner.h"
#include "commands/image_commands.h"
#include "core/job_listing.h"
#include "core/job_picture.h"
#include "core/layout_check.h"
#include "core/raster_source.h"
#include "core/run_messages.h"
#include "platform/file_system.h"

namespace tesk::cli {
namespace {

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

// GCC 12 at -O3 reports an overlap inside std::string's concatenation that cannot
// happen (its -Wrestrict false positive on operator+); later compilers do not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
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
         "    columns: " +
         ColumnsText(found.columns) +
         "\n"
         "    bytes per line: " +
         std::to_string(found.bytesPerLine) + " (" + BytesPerLineSourceText(found.bytesPerLineSource) +
         ")\n"
         "    device: " +
         found.device +
         "\n"
         "    transfers taken: " +
         std::to_string(found.transfersTaken) + ", repeated: " + std::to_string(found.repeatedTransfers) +
         " (" + std::to_string(found.repeatCopies) +
         " copies added), to other devices: " + std::to_string(found.otherDeviceTransfers) + "\n";
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

Json CaptureReadingJson(core::CaptureReading reading, const capture::WholeCaptureStatistics& found) {
  if (reading == core::CaptureReading::Default) return Json{{"reader", "default"}, {"transfersTaken", 1}};
  Json columns = Json::array();
  for (const capture::CaptureColumn& column : found.columns.columns)
    columns.push_back(Json{{"name", capture::CaptureColumnHead(column.name)},
                           {"start", column.start},
                           {"width", column.width}});
  return Json{{"reader", "whole"},
              {"columnsFromHeader", found.columns.fromHeader},
              {"columns", std::move(columns)},
              {"bytesPerLine", found.bytesPerLine},
              {"bytesPerLineFrom", BytesPerLineSourceText(found.bytesPerLineSource)},
              {"device", found.device},
              {"transfersTaken", found.transfersTaken},
              {"repeatedTransfers", found.repeatedTransfers},
              {"repeatCopies", found.repeatCopies},
              {"otherDeviceTransfers", found.otherDeviceTransfers}};
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string OffsetText(std::uint64_t value) {
  char offset[32];
  std::snprintf(offset, sizeof offset, "%10llu", static_cast<unsigned long long>(value));
  return offset;
}

// Every image command of the job that no reading draws, as a visit per command.
void VisitUndrawnImages(std::span<const std::uint8_t> job,
                        const std::function<void(const commands::CommandRecord&)>& visit) {
  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    if (commands::IsUndrawnImageCommand(command, job)) visit(command);
  });
}

std::string UndrawnImagesText(std::span<const std::uint8_t> job) {
  std::string lines;
  std::size_t count = 0;
  VisitUndrawnImages(job, [&](const commands::CommandRecord& command) {
    lines += OffsetText(command.offset) + "  " + Padded(commands::CommandName(command), 10) +
             commands::DescribeCommand(command, job) + "\n";
    ++count;
  });
  if (count == 0) return "  image commands no reading draws: none\n";
  return "  image commands no reading draws: " + std::to_string(count) + "\n" + lines;
}

Json UndrawnImagesJson(std::span<const std::uint8_t> job) {
  Json images = Json::array();
  VisitUndrawnImages(job, [&](const commands::CommandRecord& command) {
    images.push_back(Json{{"offset", command.offset},
                          {"name", commands::CommandName(command)},
                          {"detail", commands::DescribeCommand(command, job)}});
  });
  return images;
}

std::string AnswerOrigin(const core::JobAnswer& answer) {
  if (answer.captureLine != 0) return "line " + std::to_string(answer.captureLine);
  char origin[64];
  std::snprintf(origin, sizeof origin, "packet %llu, %.6f s", static_cast<unsigned long long>(answer.packet),
                answer.seconds);
  return origin;
}

std::string AnswerLine(const core::JobAnswer& answer) {
  const std::string origin = "(" + AnswerOrigin(answer) + ")";
  return OffsetText(answer.jobOffset) + "  " + Padded(core::AnswerBytesText(answer), 33) + Padded("IN", 10) +
         (answer.meaning.empty() ? origin : answer.meaning + " " + origin) + "\n";
}

Json AnswersJson(const std::vector<core::JobAnswer>& answers) {
  Json list = Json::array();
  for (const core::JobAnswer& answer : answers) {
    Json entry{{"jobOffset", answer.jobOffset},
               {"length", answer.length},
               {"bytes", core::AnswerBytesText(answer)},
               {"meaning", answer.meaning}};
    if (answer.captureLine != 0) {
      entry["line"] = answer.captureLine;
    } else {
      entry["frame"] = answer.packet;
      entry["seconds"] = std::round(answer.seconds * 1e6) / 1e6;  // microseconds, as the text shows
    }
    list.push_back(std::move(entry));
  }
  return list;
}

std::string TextReport(const std::filesystem::path& input, const std::filesystem::path& loaded,
                       core::CaptureKind kind, const core::RasterSource& source,
                       const printer::Profile* paper) {
  const std::span<const std::uint8_t> job = source.Job();
  std::string report = input.string() + "\n";
  if (loaded.filename() != input.filename())
    report += "  archive entry: " + loaded.filename().string() + "\n";
  report += std::string("  ") + KindText(kind) + ", " + std::to_string(job.size()) + " bytes\n";
  if (kind == core::CaptureKind::UsbPacketCapture) report += FormatUsbCaptureText(source, true);
  if (kind == core::CaptureKind::CaptureText)
    report += CaptureReadingText(source.captureReading, source.captureStatistics);
  report += "    offset  bytes                            command   meaning\n";
  const std::vector<core::CommandLine> commands = core::ListCommands(job);
  const std::vector<core::JobAnswer> answers = core::ListAnswers(source, commands);
  std::size_t answer = 0;
  // What the printer answered stands after the commands sent before it.
  const auto addAnswers = [&](std::uint64_t before, bool last) {
    for (; answer < answers.size() && (last || answers[answer].jobOffset <= before); ++answer)
      report += AnswerLine(answers[answer]);
  };
  for (const core::CommandLine& command : commands) {
    addAnswers(command.offset, false);
    report += OffsetText(command.offset) + "  " + Padded(command.bytes, 33) + Padded(command.name, 10) +
              command.detail + "\n";
  }
  addAnswers(job.size(), true);
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
  report += UndrawnImagesText(job);
  if (paper) report += PaperListingText(job, *paper);
  return report;
}

Json LayoutJson(const core::LayoutCheck& check) {
  Json bands = Json::array();
  for (const core::BandCheck& band : check.bands)
    bands.push_back(Json{{"band", band.band},
                         {"expectedHeader", band.expectedHeader},
                         {"found", band.found},
                         {"widthBytes", band.widthBytes},
                         {"height", band.height},
                         {"matches", band.matches}});
  return Json{{"expectedBands", check.expectedBands},
              {"rasterCommands", check.rasterCommands},
              {"bands", std::move(bands)},
              {"matches", check.matches},
              {"verdict", check.verdict}};
}

std::string JsonReport(const std::filesystem::path& input, const std::filesystem::path& loaded,
                       core::CaptureKind kind, const core::RasterSource& source,
                       const printer::Profile* paper) {
  const std::span<const std::uint8_t> job = source.Job();
  Json report = Json::object();
  PutPath(report, "path", input);
  PutPath(report, "entry", loaded.filename());
  report["kind"] = KindText(kind);
  report["dataLength"] = job.size();
  if (kind == core::CaptureKind::UsbPacketCapture) report["usbCapture"] = FormatUsbCaptureJson(source, true);
  report["capture"] = kind == core::CaptureKind::CaptureText
                          ? CaptureReadingJson(source.captureReading, source.captureStatistics)
                          : Json(nullptr);
  Json commandList = Json::array();
  const std::vector<core::CommandLine> commands = core::ListCommands(job);
  const std::vector<core::JobAnswer> answers = core::ListAnswers(source, commands);
  if (!answers.empty()) report["inTransfers"] = AnswersJson(answers);
  for (const core::CommandLine& command : commands)
    commandList.push_back(Json{{"offset", command.offset},
                               {"length", command.length},
                               {"name", command.name},
                               {"bytes", command.bytes},
                               {"detail", command.detail},
                               {"cutOff", command.cutOff}});
  report["commands"] = std::move(commandList);
  report["layout"] = LayoutJson(core::CheckFixedLayout(job));
  report["undrawnImages"] = UndrawnImagesJson(job);
  if (paper) report["paper"] = PaperListingJson(job, *paper);
  return DumpJson(report) + "\n";
}

// The report of a file that gave no job. A USB packet capture without a job
// still tells what it held.
std::string FailureReport(const std::filesystem::path& input, const core::RasterSource& source,
                          core::CaptureKind kind, bool json) {
  const core::RunMessage message =
      core::MakeRunMessage(kind == core::CaptureKind::OpenFailed ? core::RunMessageCode::LoadFailed
                                                                 : core::RunMessageCode::InvalidData);
  const bool usbCapture = source.usbCapture.container != usbcap::UsbContainer::None;
  if (!json)
    return input.string() + "\n  " + message.text + "\n" +
           (usbCapture ? FormatUsbCaptureText(source, false) : "");
  Json report = Json::object();
  PutPath(report, "path", input);
  report["message"] = message.text;
  if (usbCapture) report["usbCapture"] = FormatUsbCaptureJson(source, false);
  return DumpJson(report) + "\n";
}

}  // namespace

std::string InspectJob(const std::filesystem::path& input, bool json, const core::RunOptions& options,
                       bool& failed) {
  failed = false;
  // An archive extracts beside itself when loaded; inspect a copy in a private
  // folder so that nothing appears beside the input.
  std::filesystem::path scratch;
  std::filesystem::path path = input;
  if (core::LooksLikeArchive(input)) {
    scratch = platform::CreateTemporaryFolder();
    path = scratch / input.filename();
    if (scratch.empty() || !platform::CopyFile(input, path)) path = input;
  }
  std::string report;
  {
    core::RasterSource source;
    source.listUsbTransfers = true;
    source.listCaptureSides = true;
    source.captureReading = options.captureReading;
    source.acceptCommandStream = core::AcceptsAnyCommandStream(options);
    const core::CaptureKind kind = source.Load(path);
    if (kind == core::CaptureKind::OpenFailed || kind == core::CaptureKind::Invalid) {
      failed = true;
      report = FailureReport(input, source, kind, json);
    } else {
      // With --render paper the display list follows the commands.
      const printer::Profile* paper = options.paperProfile ? &*options.paperProfile : nullptr;
      report =
          json ? JsonReport(input, path, kind, source, paper) : TextReport(input, path, kind, source, paper);
    }
  }
  if (!scratch.empty()) platform::RemoveFolderTree(scratch);
  return report;
}

}  // namespace tesk::cli
