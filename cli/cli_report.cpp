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
  std::string json = "{\"path\":" + JsonString(input.string());
  json += ",\"loadedPath\":" +
          (figures.loadedPath.empty() ? std::string("null") : JsonString(figures.loadedPath.string()));
  json += ",\"figures\":{";
  bool first = true;
  for (const core::ReportedFigure& figure : core::ListFigures(figures)) {
    if (!figure.value) continue;
    json += std::string(first ? "" : ",") + "\"" + figure.fieldName + "\":" +
            std::to_string(*figure.value);
    first = false;
  }
  json += "},\"imageReady\":" + std::string(figures.imageReady ? "true" : "false");
  json += ",\"message\":" + (message ? JsonString(message->text) : std::string("null"));
  json += ",\"outputs\":[";
  for (std::size_t index = 0; index < figures.keptOutputs.size(); ++index)
    json += (index ? "," : "") + JsonString(figures.keptOutputs[index].string());
  return json + "]}";
}

}  // namespace tesk::cli
