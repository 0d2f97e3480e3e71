#include "cli/cli_report.h"

#include "cli/json_text.h"
#include "core/figure_captions.h"

namespace tesk::cli {

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
  return DumpJson(report);
}

}  // namespace tesk::cli
