#pragma once
// The paper: a job's command stream executed on a virtual printer. The printer
// walks the commands once and lists what it put where; a separate step turns
// that list into 1-bit pieces of paper, one per cut.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "printer/profile.h"

namespace tesk::printer {

// The same ceiling as the run's picture buffers: a page beyond it comes only
// from a corrupt or hostile job.
inline constexpr std::int64_t kDefaultPaperByteLimit = std::int64_t{256} * 1024 * 1024;

struct Rectangle {
  std::int64_t x = 0;  // dots from the left edge of the printable width
  std::int64_t y = 0;  // dots from the top of its piece
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// What a drawn item is; text joins when its drawing does.
enum class ItemKind : std::uint8_t {
  RasterImage,       // GS v 0
  ColumnImage,       // ESC *
  Graphics,          // GS ( L / GS 8 L function 50
  NvGraphics,        // GS ( L / GS 8 L function 69
  DownloadGraphics,  // GS ( L / GS 8 L function 85
  NvBitImage,        // FS p
  DownloadBitImage,  // GS /
  VariableBitImage,  // GS Q 0
  Text,
  Symbol,  // bar codes and 2-D codes
};

struct DrawnItem {
  std::uint64_t offset = 0;  // of the command that printed it
  ItemKind kind = ItemKind::RasterImage;
  int piece = 0;           // 0 for the first piece of paper
  Rectangle area;          // after clipping to the printable width
  char32_t codePoint = 0;  // text: the character in the cell
};

enum class NotDrawnReason : std::uint8_t {
  NotModelled,          // a command the printer reads but the paper does not show
  NoGlyph,              // a character the installed fonts cannot draw; its cell stays blank
  UnknownCommand,       // bytes no table entry knows
  CutOff,               // the job ends inside the command
  Clipped,              // part of the image lay beyond the printable width
  TallerThanPrinter,    // rows beyond the profile's largest raster height
  UnknownImage,         // printing an image that was never defined (or was deleted)
  BadParameters,        // a size, mode or function out of its range
  IgnoredByQuirk,       // the profile says this printer ignores it
  PageCleared,          // CAN, ESC S or ESC @ cleared it from the page before the page was printed
  PageNotPrinted,       // the job ended with it in a page no FF or ESC FF printed
  StandardModeOnly,     // a standard mode command (cut, GS L, GS W) sent in page mode
  PageModeOnly,         // a page mode command (FF, ESC FF, CAN, GS $, GS \) sent in standard mode
  ClearedByInitialise,  // ESC @ emptied the line buffer before it was printed
  LeftInLineBuffer,     // the job ended before LF, ESC J or ESC d printed it
  NotAtLineStart,       // a print area setting in the middle of a line
  SymbolRefused,        // a bar code or 2-D code the printer draws nothing for; the detail says why
  HriTextNotDrawn,      // no installed font draws a symbol's human-readable line; the detail holds the text
};

struct NotDrawnItem {
  std::uint64_t offset = 0;
  std::string command;  // as engineers write it: "GS k", "text"
  NotDrawnReason reason = NotDrawnReason::NotModelled;
  std::string detail;  // what the reason alone does not say, e.g. a symbol's fault; often empty
};

// One piece of paper between two cuts: rows of `Paper::width` dots, 1 bit a
// dot, most significant bit leftmost, (width + 7) / 8 bytes a row, top first.
struct PaperPiece {
  std::int64_t height = 0;
  std::vector<std::uint8_t> rows;
};

// A job of nothing but unknown bytes would otherwise list millions of them.
inline constexpr std::size_t kMostListedNotDrawn = 100000;

struct Paper {
  std::int64_t width = 0;  // the profile's printable width in dots
  std::vector<PaperPiece> pieces;
  std::vector<std::int64_t> pieceHeights;  // also when the pieces were too large to draw
  std::vector<std::uint64_t> cutOffsets;   // the command that ended each cut piece
  std::vector<DrawnItem> drawn;
  std::vector<NotDrawnItem> notDrawn;  // the first kMostListedNotDrawn
  std::uint64_t notDrawnCount = 0;     // all of them

  std::int64_t WidthBytes() const { return (width + 7) / 8; }
  std::int64_t Height() const;  // of all pieces together
};

enum class PaperResult : std::uint8_t {
  Printed,
  TooLarge,  // the pieces would pass the byte limit; the lists are kept, no pieces
  BadProfile,
};

struct PaperLimits {
  std::int64_t byteLimit = kDefaultPaperByteLimit;  // all pieces together
};

// Executes the job and draws its paper. `paper` is replaced.
PaperResult PrintJob(std::span<const std::uint8_t> job, const Profile& profile, Paper& paper,
                     const PaperLimits& limits = {});

const char* ItemKindName(ItemKind kind);
const char* NotDrawnReasonText(NotDrawnReason reason);
const char* PaperResultText(PaperResult result);

}  // namespace tesk::printer
