#include "cli/comparison_report.h"

#include "cli/json_text.h"

namespace tesk::cli {
namespace {

// Enough regions for a terminal; --json lists them all.
constexpr std::size_t kRegionsShown = 20;

const core::CommandLine* CommandAt(const std::vector<core::CommandLine>& commands, std::int64_t index) {
  return index < 0 ? nullptr : &commands[static_cast<std::size_t>(index)];
}

std::string CommandText(const core::CommandLine* command) {
  if (!command) return "(none)";
  return "offset " + std::to_string(command->offset) + ": " + command->name +
         (command->detail.empty() ? "" : " " + command->detail);
}

Json CommandJson(const core::CommandLine* command, std::int64_t index) {
  if (!command) return Json(nullptr);
  return Json{{"index", index},
              {"offset", command->offset},
              {"name", command->name},
              {"detail", command->detail},
              {"bytes", command->bytes}};
}

const char* KindName(core::AlignedKind kind) {
  switch (kind) {
    case core::AlignedKind::Same: return "same";
    case core::AlignedKind::Changed: return "changed";
    case core::AlignedKind::OnlyInA: return "only in A";
    case core::AlignedKind::OnlyInB: return "only in B";
  }
  return "";
}

const char* PictureName(const core::JobComparison& comparison) {
  return comparison.paper ? "paper" : "bands";
}

}  // namespace

int ComparisonExitStatus(const core::JobComparison& comparison) {
  switch (comparison.result) {
    case core::ComparisonResult::Identical: return 0;
    case core::ComparisonResult::Different: return 1;
    default: return 2;
  }
}

std::string ComparisonText(const std::filesystem::path& a, const std::filesystem::path& b,
                           const core::JobComparison& comparison) {
  if (comparison.result == core::ComparisonResult::CannotLoad) return comparison.message + "\n";
  std::string text = "A: " + a.string() + " (" + std::to_string(comparison.jobA.size()) + " bytes, " +
                     std::to_string(comparison.commandsA.size()) + " commands)\n" + "B: " + b.string() +
                     " (" + std::to_string(comparison.jobB.size()) + " bytes, " +
                     std::to_string(comparison.commandsB.size()) + " commands)\n";
  const core::CommandAlignment& commands = comparison.commands;
  text += "commands: " + std::to_string(commands.same) + " same, " + std::to_string(commands.changed) +
          " changed, " + std::to_string(commands.onlyInA) + " only in A, " +
          std::to_string(commands.onlyInB) + " only in B\n";
  if (commands.firstDifference) {
    const core::AlignedPair& first = *commands.firstDifference;
    text += std::string("first difference (") + KindName(first.kind) + "):\n  A " +
            CommandText(CommandAt(comparison.commandsA, first.a)) + "\n  B " +
            CommandText(CommandAt(comparison.commandsB, first.b)) + "\n";
  }
  if (comparison.result == core::ComparisonResult::NoPicture) return text + comparison.message + "\n";
  const core::PictureComparison& pictures = comparison.pictures;
  text += std::string("picture (") + PictureName(comparison) + "): " + std::to_string(pictures.width) +
          " x " + std::to_string(pictures.height) + " dots, " + std::to_string(pictures.differingDots) +
          " differ (" + std::to_string(pictures.onlyInA) + " only in A, " + std::to_string(pictures.onlyInB) +
          " only in B)\n";
  if (!pictures.regions.empty())
    text += "regions (row bands): " + std::to_string(pictures.regions.size()) + "\n";
  for (std::size_t index = 0; index < pictures.regions.size() && index < kRegionsShown; ++index) {
    const core::DotRegion& region = pictures.regions[index];
    text += "  x " + std::to_string(region.x) + ", y " + std::to_string(region.y) + ", " +
            std::to_string(region.width) + " x " + std::to_string(region.height) + "\n";
  }
  if (pictures.regions.size() > kRegionsShown)
    text += "  ... and " + std::to_string(pictures.regions.size() - kRegionsShown) + " more\n";
  if (!comparison.overlayPath.empty()) text += "overlay: " + comparison.overlayPath.string() + "\n";
  if (comparison.overlayError) text += "overlay not written: " + *comparison.overlayError + "\n";
  text +=
      comparison.result == core::ComparisonResult::Identical ? "pictures identical\n" : "pictures differ\n";
  return text;
}

std::string ComparisonJson(const std::filesystem::path& a, const std::filesystem::path& b,
                           const core::JobComparison& comparison) {
  Json report = Json::object();
  PutPath(report, "a", a);
  PutPath(report, "b", b);
  if (comparison.result == core::ComparisonResult::CannotLoad) {
    report["message"] = comparison.message;
    return DumpJson(report) + "\n";
  }
  const core::CommandAlignment& commands = comparison.commands;
  Json first(nullptr);
  if (commands.firstDifference) {
    const core::AlignedPair& pair = *commands.firstDifference;
    first = Json{{"kind", KindName(pair.kind)},
                 {"a", CommandJson(CommandAt(comparison.commandsA, pair.a), pair.a)},
                 {"b", CommandJson(CommandAt(comparison.commandsB, pair.b), pair.b)}};
  }
  report["commands"] = Json{
      {"a", comparison.commandsA.size()},   {"b", comparison.commandsB.size()}, {"same", commands.same},
      {"changed", commands.changed},        {"onlyInA", commands.onlyInA},      {"onlyInB", commands.onlyInB},
      {"firstDifference", std::move(first)}};
  if (comparison.result == core::ComparisonResult::NoPicture) {
    report["message"] = comparison.message;
    return DumpJson(report) + "\n";
  }
  const core::PictureComparison& pictures = comparison.pictures;
  Json regions = Json::array();
  for (const core::DotRegion& region : pictures.regions)
    regions.push_back(
        Json{{"x", region.x}, {"y", region.y}, {"width", region.width}, {"height", region.height}});
  report["picture"] = Json{{"drawn", PictureName(comparison)}, {"width", pictures.width},
                           {"height", pictures.height},        {"differingDots", pictures.differingDots},
                           {"onlyInA", pictures.onlyInA},      {"onlyInB", pictures.onlyInB},
                           {"regionKind", "row bands"},        {"regions", std::move(regions)}};
  if (!comparison.overlayPath.empty())
    PutPath(report, "overlay", comparison.overlayPath);
  else
    report["overlay"] = nullptr;
  if (comparison.overlayError) report["overlayError"] = *comparison.overlayError;
  report["identical"] = comparison.result == core::ComparisonResult::Identical;
  return DumpJson(report) + "\n";
}

}  // namespace tesk::cli
