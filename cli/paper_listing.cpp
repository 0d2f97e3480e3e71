#include "cli/paper_listing.h"

#include <cstdio>

#include "core/paper_output.h"

namespace tesk::cli {
namespace {

std::string Row(std::uint64_t offset, int piece, const printer::Rectangle& area, const char* kind) {
  char line[160];
  std::snprintf(line, sizeof line, "%10llu  %5d  %6lld %8lld %6lld %6lld  %s\n",
                static_cast<unsigned long long>(offset), piece + 1, static_cast<long long>(area.x),
                static_cast<long long>(area.y), static_cast<long long>(area.width),
                static_cast<long long>(area.height), kind);
  return line;
}

}  // namespace

std::string PaperListingText(std::span<const std::uint8_t> job, const printer::Profile& profile) {
  printer::Paper paper;
  const printer::PaperResult result = core::DrawPaper(job, profile, paper);
  std::string text = "  paper (" + profile.name + "): " + std::to_string(paper.width) + " dots wide, " +
                     std::to_string(paper.Height()) + " rows in " +
                     std::to_string(paper.pieceHeights.size()) + " piece(s)\n";
  if (result != printer::PaperResult::Printed)
    text += std::string("  ") + printer::PaperResultText(result) + "\n";
  text += "    offset  piece       x        y  width height  drawn\n";
  for (const printer::DrawnItem& item : paper.drawn) {
    char kind[48];
    if (item.kind == printer::ItemKind::Text)
      std::snprintf(kind, sizeof kind, "text U+%04X", static_cast<unsigned>(item.codePoint));
    else
      std::snprintf(kind, sizeof kind, "%s", printer::ItemKindName(item.kind));
    text += Row(item.offset, item.piece, item.area, kind);
  }
  text += "  not drawn: " + std::to_string(paper.notDrawnCount) + "\n";
  for (const printer::NotDrawnItem& item : paper.notDrawn) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "%10llu", static_cast<unsigned long long>(item.offset));
    text += std::string(offset) + "  " + item.command + ": " + printer::NotDrawnReasonText(item.reason);
    if (!item.detail.empty()) text += ": " + item.detail;
    text += "\n";
  }
  return text;
}

Json NotDrawnJson(const std::vector<printer::NotDrawnItem>& notDrawn) {
  Json list = Json::array();
  for (const printer::NotDrawnItem& item : notDrawn) {
    Json entry{{"offset", item.offset},
               {"command", item.command},
               {"reason", printer::NotDrawnReasonText(item.reason)}};
    if (!item.detail.empty()) entry["detail"] = item.detail;
    list.push_back(std::move(entry));
  }
  return list;
}

Json PaperListingJson(std::span<const std::uint8_t> job, const printer::Profile& profile) {
  printer::Paper paper;
  const printer::PaperResult result = core::DrawPaper(job, profile, paper);
  Json drawn = Json::array();
  for (const printer::DrawnItem& item : paper.drawn) {
    Json entry{{"offset", item.offset},     {"kind", printer::ItemKindName(item.kind)},
               {"piece", item.piece + 1},   {"x", item.area.x},
               {"y", item.area.y},          {"width", item.area.width},
               {"height", item.area.height}};
    if (item.kind == printer::ItemKind::Text) entry["codePoint"] = static_cast<std::uint32_t>(item.codePoint);
    drawn.push_back(std::move(entry));
  }
  return Json{{"profile", profile.name},
              {"paperWidth", paper.width},
              {"paperHeight", paper.Height()},
              {"pieceHeights", paper.pieceHeights},
              {"message", result == printer::PaperResult::Printed ? Json(nullptr)
                                                                  : Json(printer::PaperResultText(result))},
              {"drawn", std::move(drawn)},
              {"notDrawnCount", paper.notDrawnCount},
              {"notDrawn", NotDrawnJson(paper.notDrawn)}};
}

}  // namespace tesk::cli
