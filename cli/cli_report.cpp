#include "cli/cli_report.h"

#include "cli/json_text.h"
#include "cli/paper_listing.h"
#include "core/figure_captions.h"

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
            printer::NotDrawnReasonText(item.reason) + "\n";
  }
  if (paper.notDrawnCount > kNotDrawnShown)
    text += "      ... " + std::to_string(paper.notDrawnCount - kNotDrawnShown) + " more (--json lists them)\n";
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

std::string FormatJsonReport(const std::filesystem::path& input, const core::RunFigures& figures,
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
  if (figures.paper) report["paper"] = PaperJson(*figures.paper);
  return DumpJson(report);
}

}  // namespace tesk::cli
