#include "printer/paper.h"

#include <numeric>

#include "printer/display_list.h"
#include "printer/job_printer.h"

namespace tesk::printer {

std::int64_t Paper::Height() const {
  return std::accumulate(pieceHeights.begin(), pieceHeights.end(), std::int64_t{0});
}

PaperResult PrintJob(std::span<const std::uint8_t> job, const Profile& profile, Paper& paper,
                     const PaperLimits& limits) {
  paper = Paper{};
  if (profile.printableWidth <= 0 || profile.dpi <= 0 || profile.horizontalMotionUnit <= 0 ||
      profile.verticalMotionUnit <= 0 || profile.columnImageVerticalPitch <= 0)
    return PaperResult::BadProfile;  // a profile built in code, not read by LoadProfile
  paper.width = profile.printableWidth;
  DisplayList list;
  JobPrinter printer(job, profile, limits.byteLimit, list, paper);
  const bool listed = printer.Run();
  paper.drawn = list.items;
  paper.pieceHeights = list.pieceHeights;
  if (!listed || !RasteriseDisplayList(list, paper.width, limits.byteLimit, paper.pieces))
    return PaperResult::TooLarge;
  return PaperResult::Printed;
}

const char* ItemKindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::RasterImage: return "raster image";
    case ItemKind::ColumnImage: return "column image";
    case ItemKind::Graphics: return "graphics";
    case ItemKind::NvGraphics: return "NV graphics";
    case ItemKind::DownloadGraphics: return "download graphics";
    case ItemKind::NvBitImage: return "NV bit image";
    case ItemKind::DownloadBitImage: return "download bit image";
    case ItemKind::VariableBitImage: return "variable bit image";
    case ItemKind::Text: return "text";
    case ItemKind::Symbol: return "symbol";
  }
  return "";
}

const char* NotDrawnReasonText(NotDrawnReason reason) {
  switch (reason) {
    case NotDrawnReason::NotModelled: return "not shown on the paper";
    case NotDrawnReason::NoGlyph: return "no glyph for this character; its cell is left blank";
    case NotDrawnReason::UnknownCommand: return "unknown command";
    case NotDrawnReason::CutOff: return "cut off by the end of the job";
    case NotDrawnReason::Clipped: return "clipped at the edge of the print area";
    case NotDrawnReason::TallerThanPrinter: return "rows beyond the printer's largest raster height";
    case NotDrawnReason::UnknownImage: return "no image defined under that number or key";
    case NotDrawnReason::BadParameters: return "parameters out of range";
    case NotDrawnReason::IgnoredByQuirk: return "ignored by this printer (profile quirk)";
    case NotDrawnReason::PageCleared: return "cleared from the page before the page was printed";
    case NotDrawnReason::PageNotPrinted: return "left in a page that was never printed (no FF or ESC FF)";
    case NotDrawnReason::StandardModeOnly: return "ignored in page mode";
    case NotDrawnReason::PageModeOnly: return "ignored outside page mode";
    case NotDrawnReason::ClearedByInitialise: return "cleared from the line buffer by ESC @";
    case NotDrawnReason::LeftInLineBuffer: return "left in the line buffer at the end of the job";
    case NotDrawnReason::NotAtLineStart: return "ignored: the print area changes only at the start of a line";
    case NotDrawnReason::SymbolRefused: return "the printer draws no symbol";
    case NotDrawnReason::HriTextNotDrawn:
      return "human-readable line has characters no installed font draws; their cells are left white";
  }
  return "";
}

const char* PaperResultText(PaperResult result) {
  switch (result) {
    case PaperResult::Printed: return "printed";
    case PaperResult::TooLarge: return "the paper would pass the picture size limit";
    case PaperResult::BadProfile: return "the profile is not usable";
  }
  return "";
}

}  // namespace tesk::printer
