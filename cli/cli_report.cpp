#include "cli/cli_report.h"

#include "cli/json_text.h"
#include "core/layout_check.h"
#include "core/figure_captions.h"

namespace tesk::cli {
namespace {

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
  return Json{{"fits", verdict.fits}, {"firstMismatch", std::move(mismatch)}, {"commandBands", verdict.commandBands}};
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
  report["layoutVerdict"] = figures.layoutVerdict ? LayoutVerdictJson(*figures.layoutVerdict) : Json(nullptr);
  return DumpJson(report);
}

std::optional<std::string> LayoutWarning(const core::RunFigures& figures, const core::RunOptions& options) {
  if (options.layout != core::BandLayoutChoice::Fixed || !figures.layoutVerdict || figures.layoutVerdict->fits)
    return std::nullopt;
  const core::LayoutVerdict& verdict = *figures.layoutVerdict;
  std::string warning = "warning: the fixed band layout does not fit this job (" + verdict.reason + ")";
  if (verdict.commandBands > 0)
    warning += "; --layout commands reads its " + std::to_string(verdict.commandBands) + " GS v 0 command" +
               (verdict.commandBands == 1 ? "" : "s");
  return warning;
}

}  // namespace tesk::cli
