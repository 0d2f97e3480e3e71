#pragma once
// The virtual printer: walks a job's commands once, keeps its state in a
// PrinterState and appends what it prints to a display list. One handler per
// command code of the scanner's table; a code without a handler is listed as
// not drawn.

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "commands/command_scanner.h"
#include "printer/character_decoder.h"
#include "printer/display_list.h"
#include "printer/glyph_cache.h"
#include "printer/page_mode.h"
#include "printer/paper.h"
#include "printer/printer_state.h"
#include "printer/profile.h"
#include "printer/text_cells.h"

namespace tesk::printer {

class JobPrinter {
 public:
  JobPrinter(std::span<const std::uint8_t> job, const Profile& profile, std::int64_t byteLimit,
             DisplayList& list, Paper& paper);
  // False when the display list itself would pass the byte limit.
  bool Run();

 private:
  using Command = commands::CommandRecord;
  using Handler = void (JobPrinter::*)(const Command&);
  static std::array<Handler, commands::kCommandCodeCount> MakeHandlers();

  // Paper motion and settings (job_interpreter.cpp).
  void LineFeed(const Command& command);
  void CarriageReturn(const Command& command);
  void HorizontalTab(const Command& command);
  void Initialise(const Command& command);
  void FeedDots(const Command& command);
  void FeedLines(const Command& command);
  void Justify(const Command& command);
  void AbsolutePosition(const Command& command);
  void RelativePosition(const Command& command);
  void DefaultLineSpacing(const Command& command);
  void LineSpacing(const Command& command);
  void TabStops(const Command& command);
  void CharacterSpacing(const Command& command);
  void PrintModes(const Command& command);
  void CharacterSize(const Command& command);
  void SelectFont(const Command& command);
  void MotionUnits(const Command& command);
  void LeftMargin(const Command& command);
  void PrintAreaWidth(const Command& command);
  void Cut(const Command& command);
  void PartialCut(const Command& command);
  void Text(const Command& command);

  // Text and its styles (text_commands.cpp).
  void Emphasis(const Command& command);
  void DoubleStrike(const Command& command);
  void Underline(const Command& command);
  void Reverse(const Command& command);
  void UpsideDown(const Command& command);
  void Rotation(const Command& command);
  void CodePage(const Command& command);
  void InternationalSet(const Command& command);
  void MultibyteOn(const Command& command);
  void MultibyteOff(const Command& command);
  void MultibyteModes(const Command& command);
  void MultibyteUnderline(const Command& command);
  void MultibyteQuadruple(const Command& command);
  void MultibyteSpacing(const Command& command);
  void MultibyteCodeSystem(const Command& command);
  CellStyle TextStyle(bool multibyte) const;
  // The drawn cell from the cache, drawn now if new; null when the byte
  // limit stops the run. `noGlyph`: no installed font has the character.
  const DotBlock* CachedCell(char32_t codePoint, GlyphFont font, const FontCell& cell, const CellStyle& style,
                             bool& noGlyph);
  void PrintCharacter(std::uint64_t offset, const DecodedCharacter& character);

  // Bar codes and 2-D codes (symbol_commands.cpp).
  void Symbol(const Command& command);
  void BarcodeSetting(const Command& command);
  void ExtendedFunction(const Command& command);
  void PrintReadableLine(const Command& command, const printer::Symbol& symbol, std::int64_t left);

  // Images (image_commands.cpp).
  void BitImage(const Command& command);
  void RasterImage(const Command& command);
  void Graphics(const Command& command);
  void VariableBitImage(const Command& command);
  void DefineDownloadBitImage(const Command& command);
  void PrintDownloadBitImage(const Command& command);
  void DefineNvBitImage(const Command& command);
  void PrintNvBitImage(const Command& command);
  void StoreGraphics(const Command& command, std::span<const std::uint8_t> parameters, bool columns);
  void DefineGraphics(const Command& command, std::span<const std::uint8_t> parameters, bool columns,
                      bool nv);
  void PrintDefinedGraphics(const Command& command, std::span<const std::uint8_t> parameters, bool nv);
  void DeleteGraphics(std::span<const std::uint8_t> parameters, bool nv, bool all);

  // Page mode (page_commands.cpp).
  void PageMode(const Command& command);
  void StandardMode(const Command& command);
  void SelectPageArea(const Command& command);
  void SelectPageDirection(const Command& command);
  void PageVerticalPosition(const Command& command);
  void PageRelativeVerticalPosition(const Command& command);
  void PrintPage(const Command& command);
  void PrintPageAndStay(const Command& command);
  void CancelPage(const Command& command);
  void PlaceInPage(std::uint64_t offset, ItemKind kind, std::int64_t x, std::int64_t visibleWidth,
                   const StoredImage& image, std::int64_t drop, char32_t codePoint);
  void ResetPage(const char* clearedBy);
  void EndJobInPage();
  bool IgnoredInPageMode(const Command& command);
  bool OutsidePageMode(const Command& command);
  void DevelopLine();
  void EnterPageFrame();
  void LeavePageMode();
  void PutPageOnPaper();
  void ListPageItems(NotDrawnReason reason, const char* detail);
  // Lists what the command at `offset` placed, by the command's name.
  void ListPlaced(std::uint64_t offset, NotDrawnReason reason, const std::string& detail = {});
  // Motion units to dots along a line and from line to line, as the page's
  // direction turns them.
  std::int64_t AlongLineDots(std::int64_t units) const;
  std::int64_t AcrossLinesDots(std::int64_t units) const;

  // Placing dots.
  void PlaceLine();
  void PrintLine(std::int64_t feed);
  // Returns where the image's left edge went.
  std::int64_t PrintAtOnce(const Command& command, ItemKind kind, const StoredImage& image);
  void AddToLine(const Command& command, ItemKind kind, const StoredImage& image);
  void Place(std::uint64_t offset, ItemKind kind, std::int64_t x, std::int64_t visibleWidth,
             const StoredImage& image, std::int64_t drop = 0, char32_t codePoint = 0);
  bool AtLineStart(const Command& command);
  void Feed(std::int64_t dots) { state_.y += dots; }
  void EndPiece(std::uint64_t offset);

  // Counts `bytes` of converted or defined images against the byte limit;
  // false, and the run stops, when they would pass it.
  bool Affordable(std::int64_t bytes);
  void List(std::uint64_t offset, std::string command, NotDrawnReason reason, std::string detail = {});
  void List(const Command& command, NotDrawnReason reason, std::string detail = {});
  std::span<const std::uint8_t> Parameters(const Command& command) const;
  std::int64_t AreaRight() const { return state_.leftMargin + state_.areaWidth; }

  std::span<const std::uint8_t> job_;
  const Profile& profile_;
  std::int64_t byteLimit_;
  DisplayList& list_;
  Paper& paper_;
  PrinterState state_;
  PageBuffer page_;
  GlyphCache glyphs_;
  CharacterDecoder decoder_;
  std::vector<DecodedCharacter> decoded_;
  // Drawn cells by character, cell and style: a receipt repeats few of them.
  std::map<std::vector<std::int64_t>, DotBlock> cells_;
  std::set<std::vector<std::int64_t>> missing_;  // keys of cells drawn without a glyph
  std::uint64_t next_ = 0;                       // where the next command starts; a quirk may move it
  std::int64_t heldBytes_ = 0;
  bool full_ = false;
};

}  // namespace tesk::printer
