#include "cli/cli_report.h"

#include "cli/json_text.h"
#include "cli/paper_listing.h"
#include "core/figure_captions.h"
#include "core/layout_check.h"
#include "platform/file_system.h"

namespace tesk::cli {
namespace {

// A text report lists this many of the commands the paper does not show;
// --json lists them all.
constexpr std::size_t kNotDrawnShown = 40;

std::string PaperText(const core::PaperFigures& paper) {
  std::string text = "  paper (" + paper.profile + "):\n";
  text += "    paperWidth " + std::to_string(paper.width) + "\n";
  text += "    paperHeight " + std::to_string(paper.height) + "\n";
  text += "    pieces " + std::to_string(paper.pieceCount) + "\n";
  text += "    imagesDrawn " + std::to_string(paper.imagesDrawn) + "\n";
  text += "    notDrawn " + std::to_string(paper.notDrawnCount) + "\n";
  for (std::size_t index = 0; index < paper.notDrawn.size() && index < kNotDrawnShown; ++index) {
    const printer::NotDrawnItem& item = paper.notDrawn[index];
    text += "      at " + std::to_string(item.offset) + ": " + item.command + ", " +
            printer::NotDrawnReasonText(item.reason) + (item.detail.empty() ? "" : ": " + item.detail) + "\n";
  }
  if (paper.notDrawnCount > kNotDrawnShown)
    text +=
        "      ... " + std::to_string(paper.notDrawnCount - kNotDrawnShown) + " more (--json lists them)\n";
  for (const auto& file : paper.files) text += "    " + file.string() + "\n";
  if (paper.message) text += "    " + *paper.message + "\n";
  return text;
}

Json PaperJson(const core::PaperFigures& paper) {
  Json json = Json::object();
  json["profile"] = paper.profile;
  json["paperWidth"] = paper.width;
  json["paperHeight"] = paper.height;
  json["pieces"] = paper.pieceCount;
  json["imagesDrawn"] = paper.imagesDrawn;
  json["notDrawnCount"] = paper.notDrawnCount;
  json["notDrawn"] = NotDrawnJson(paper.notDrawn);
  PutPaths(json, "files", paper.files);
  json["message"] = paper.message ? Json(*paper.message) : Json(nullptr);
  return json;
}

// Whether a band's header is named: the other mismatches concern the whole job.
bool NamesABand(core::LayoutMismatch mismatch) {
  return mismatch == core::LayoutMismatch::NoHeader || mismatch == core::LayoutMismatch::OtherSize ||
         mismatch == core::LayoutMismatch::CutOff;
}

Json LayoutVerdictJson(const core::LayoutVerdict& verdict) {
  Json mismatch = nullptr;
  if (!verdict.fits)
    mismatch = Json{{"band", NamesABand(verdict.mismatch) ? Json(verdict.firstMismatch.band) : Json(nullptr)},
                    {"reason", verdict.reason}};
  return Json{{"fits", verdict.fits},
              {"firstMismatch", std::move(mismatch)},
              {"commandBands", verdict.commandBands}};
}

}  // namespace

std::string FormatTextReport(const std::filesystem::path& input, const core::RunFigures& figures,
                             const std::optional<core::RunMessage>& message) {
  std::string report = input.string() + "\n";
  if (!figures.loadedPath.empty() && figures.loadedPath != input)
    report += "  载入文件: " + figures.loadedPath.string() + "\n";
  for (const core::ReportedFigure& figure : core::ListFigures(figures)) {
    if (!figure.value) continue;
    std::string shown = std::to_string(*figure.value);
    if (figure.isMode) {
      if (const auto item = core::ModeItemText(*figure.value)) shown = *item;
    }
    report += std::string("  ") + figure.caption + " " + shown + "\n";
  }
  if (message) report += "  " + message->text + "\n";
  if (figures.paper) report += PaperText(*figures.paper);
  return report;
}

namespace {

Json JsonReport(const std::filesystem::path& input, const core::RunFigures& figures,
                const std::optional<core::RunMessage>& message) {
  Json report = Json::object();
  PutPath(report, "path", input);
  if (figures.loadedPath.empty())
    report["loadedPath"] = nullptr;
  else
    PutPath(report, "loadedPath", figures.loadedPath);
  Json shown = Json::object();
  for (const core::ReportedFigure& figure : core::ListFigures(figures))
    if (figure.value) shown[figure.fieldName] = *figure.value;
  report["figures"] = std::move(shown);
  report["imageReady"] = figures.imageReady;
  report["message"] = message ? Json(message->text) : Json(nullptr);
  PutPaths(report, "outputs", figures.keptOutputs);
  report["layoutVerdict"] = figures.layoutVerdict ? LayoutVerdictJson(*figures.layoutVerdict) : Json(nullptr);
  if (figures.paper) report["paper"] = PaperJson(*figures.paper);
  return report;
}

Json JsonJob(const live::JobReport& job) {
  Json object = Json::object();
  object["number"] = job.number;
  object["peer"] = job.peer;
  object["bytes"] = job.bytes;
  object["end"] = live::JobEndText(job.end);
  object["incomplete"] = job.incomplete;
  object["saveError"] = job.saveError == 0 ? Json(nullptr) : Json(platform::ErrorText(job.saveError));
  object["queriesAnswered"] = job.queriesAnswered;
  if (job.forwarded)
    object["forwardFailure"] = job.forwardFailure.empty() ? Json(nullptr) : Json(job.forwardFailure);
  return object;
}

}  // namespace

std::string FormatJsonReport(const std::filesystem::path& input, const core::RunFigures& figures,
                             const std::optional<core::RunMessage>& message) {
  return DumpJson(JsonReport(input, figures, message));
}

std::string FormatJobHeading(const live::JobReport& job) {
  std::string line = "job " + std::to_string(job.number) + "  " +
                     (job.path.empty() ? std::string("(not saved)") : job.path.string()) + "  " +
                     std::to_string(job.bytes) + " bytes from " + job.peer + ", " + live::JobEndText(job.end);
  if (job.incomplete) line += ", incomplete";
  if (job.saveError != 0) line += ", not saved whole: " + platform::ErrorText(job.saveError);
  if (!job.forwardFailure.empty()) line += ", not forwarded: " + job.forwardFailure;
  return line;
}

std::string FormatJobLine(const live::JobReport& job, const core::RunFigures& figures,
                          const std::optional<core::RunMessage>& message) {
  std::string line = FormatJobHeading(job) + "  ";
  if (message)
    line += message->text;
  else if (figures.bitmapWidth && figures.bitmapHeight)
    line += std::to_string(*figures.bitmapWidth) + "x" + std::to_string(*figures.bitmapHeight);
  return line + "\n";
}

std::string FormatJsonJobReport(const live::JobReport& job, const core::RunFigures* figures,
                                const std::optional<core::RunMessage>& message) {
  Json report = Json::object();
  if (figures) {
    report = JsonReport(job.path, *figures, message);
  } else {
    report["message"] = message ? Json(message->text) : Json(nullptr);
  }
  report["job"] = JsonJob(job);
  return DumpJson(report);
}

std::optional<std::string> LayoutWarning(const core::RunFigures& figures, const core::RunOptions& options) {
  if (options.layout != core::BandLayoutChoice::Fixed || !figures.layoutVerdict ||
      figures.layoutVerdict->fits)
    return std::nullopt;
  const core::LayoutVerdict& verdict = *figures.layoutVerdict;
  std::string warning = "warning: the fixed band layout does not fit this job (" + verdict.reason + ")";
  if (verdict.commandBands > 0)
    warning += "; --layout commands reads its " + std::to_string(verdict.commandBands) + " GS v 0 command" +
               (verdict.commandBands == 1 ? "" : "s");
  return warning;
}

}  // namespace tesk::cli
