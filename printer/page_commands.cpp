#include <algorithm>

#include "printer/job_printer.h"
#include "printer/parameter_bytes.h"

namespace tesk::printer {

// ---- Entering and leaving ----

void JobPrinter::PageMode(const Command& command) {
  if (page_.active || !AtLineStart(command)) return;
  page_.active = true;
  page_.standardLeftMargin = state_.leftMargin;
  page_.standardAreaWidth = state_.areaWidth;
  page_.standardY = state_.y;
  page_.length = 0;
  EnterPageFrame();
}

void JobPrinter::StandardMode(const Command&) {
  if (!page_.active) return;
  // Switching back throws away what the page holds.
  ListPageItems(NotDrawnReason::PageCleared, "by ESC S");
  LeavePageMode();
}

void JobPrinter::ResetPage(const char* clearedBy) {
  if (page_.active) {
    ListPageItems(NotDrawnReason::PageCleared, clearedBy);
    state_.y = page_.standardY;
  }
  page_ = PageBuffer{};
  page_.area = {0, 0, profile_.printableWidth, profile_.pageLength};
}

void JobPrinter::EndJobInPage() {
  if (!page_.active) return;
  ListPageItems(NotDrawnReason::PageNotPrinted, nullptr);
  LeavePageMode();
}

void JobPrinter::LeavePageMode() {
  state_.leftMargin = page_.standardLeftMargin;
  state_.areaWidth = page_.standardAreaWidth;
  state_.y = page_.standardY;
  state_.x = 0;
  state_.line.clear();
  state_.lineHeight = 0;
  page_.items.clear();
  page_.active = false;
  page_.length = 0;
}

// The line buffer works in the direction's frame: its x runs along the line
// and its y from the first line on, so text, tabs and wrapping need nothing
// of their own.
void JobPrinter::EnterPageFrame() {
  state_.leftMargin = 0;
  state_.areaWidth = LineLength(page_.area, page_.direction);
  state_.x = 0;
  state_.y = 0;
  state_.lineHeight = 0;
}

void JobPrinter::ListPageItems(NotDrawnReason reason, const char* detail) {
  const std::string why = detail ? detail : "";
  for (const PendingItem& item : state_.line) ListPlaced(item.offset, reason, why);
  for (const PageItem& item : page_.items)
    if (!item.printed) ListPlaced(item.offset, reason, why);
}

bool JobPrinter::IgnoredInPageMode(const Command& command) {
  if (page_.active) List(command, NotDrawnReason::StandardModeOnly);
  return page_.active;
}

bool JobPrinter::OutsidePageMode(const Command& command) {
  if (page_.active) return false;
  if (command.type == commands::CommandType::Control)
    List(command.offset, job_[command.offset] == 0x0C ? "FF" : "CAN", NotDrawnReason::PageModeOnly);
  else
    List(command, NotDrawnReason::PageModeOnly);
  return !page_.active;
}

void JobPrinter::ListPlaced(std::uint64_t offset, NotDrawnReason reason, const std::string& detail) {
  List(offset, commands::CommandName(commands::ReadCommand(job_, offset)), reason, detail);
}

// ---- The area, the direction and positions ----

std::int64_t JobPrinter::AlongLineDots(std::int64_t units) const {
  return page_.active && RunsAlongFeed(page_.direction) ? VerticalDots(state_, profile_, units)
                                                        : HorizontalDots(state_, profile_, units);
}

std::int64_t JobPrinter::AcrossLinesDots(std::int64_t units) const {
  return RunsAlongFeed(page_.direction) ? HorizontalDots(state_, profile_, units)
                                        : VerticalDots(state_, profile_, units);
}

void JobPrinter::SelectPageArea(const Command& command) {
  const auto parameters = Parameters(command);
  const std::int64_t x = HorizontalDots(state_, profile_, ParameterWord(parameters, 0));
  const std::int64_t y = VerticalDots(state_, profile_, ParameterWord(parameters, 2));
  const std::int64_t width = HorizontalDots(state_, profile_, ParameterWord(parameters, 4));
  const std::int64_t height = VerticalDots(state_, profile_, ParameterWord(parameters, 6));
  // An empty area, or one starting beyond the page buffer, is refused; one
  // reaching beyond it is cut to it.
  if (width <= 0 || height <= 0 || x >= profile_.printableWidth || y >= profile_.pageLength) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  page_.area = {x, y, std::min(width, profile_.printableWidth - x),
                std::min(height, profile_.pageLength - y)};
  if (!page_.active) return;
  DevelopLine();
  EnterPageFrame();
}

void JobPrinter::SelectPageDirection(const Command& command) {
  const unsigned value = ParameterByte(Parameters(command), 0);
  const unsigned direction = value >= 48 ? value - 48 : value;
  if (direction > 3) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  if (page_.active) DevelopLine();
  page_.direction = static_cast<printer::PageDirection>(direction);
  if (page_.active) EnterPageFrame();
}

void JobPrinter::PageVerticalPosition(const Command& command) {
  if (OutsidePageMode(command)) return;
  const std::int64_t y = AcrossLinesDots(ParameterWord(Parameters(command), 0));
  // A position outside the area is ignored, as printers do.
  if (y >= LinesDepth(page_.area, page_.direction)) return;
  DevelopLine();
  state_.y = y;
}

void JobPrinter::PageRelativeVerticalPosition(const Command& command) {
  if (OutsidePageMode(command)) return;
  const auto units = static_cast<std::int16_t>(ParameterWord(Parameters(command), 0));
  const std::int64_t step = AcrossLinesDots(units < 0 ? -units : units);
  const std::int64_t y = state_.y + (units < 0 ? -step : step);
  if (y < 0 || y >= LinesDepth(page_.area, page_.direction)) return;
  DevelopLine();
  state_.y = y;
}

// The line so far goes into the page where it stands; the position along the
// line stays.
void JobPrinter::DevelopLine() {
  PlaceLine();
  state_.line.clear();
  state_.lineHeight = 0;
}

// ---- Placing, clearing and printing the page ----

void JobPrinter::PlaceInPage(std::uint64_t offset, ItemKind kind, std::int64_t x, std::int64_t visibleWidth,
                             const StoredImage& image, std::int64_t drop, char32_t codePoint) {
  const std::int64_t height = image.dots.height * image.scaleY;
  const std::int64_t depth = LinesDepth(page_.area, page_.direction);
  x = std::clamp<std::int64_t>(x, 0, state_.areaWidth);
  visibleWidth = std::min(visibleWidth, state_.areaWidth - x);
  const std::int64_t y = state_.y + drop;
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t bottom = std::min(y + height, depth);
  if (bottom < y + height) ListPlaced(offset, NotDrawnReason::Clipped);
  if (visibleWidth <= 0 || bottom <= top) return;
  const std::int64_t turnedBytes = RunsAlongFeed(page_.direction) ? ((bottom - top + 7) / 8) * visibleWidth
                                                                  : ((visibleWidth + 7) / 8) * (bottom - top);
  if (!Affordable(turnedBytes)) return;
  PageItem item;
  item.offset = offset;
  item.kind = kind;
  item.codePoint = codePoint;
  item.area = ToPageDots({x, top, visibleWidth, bottom - top}, page_.area, page_.direction);
  item.dots = TurnForPage(image.dots, image.scaleX, image.scaleY, 0, top - y, visibleWidth, bottom - top,
                          page_.direction);
  page_.items.push_back(std::move(item));
  page_.length = std::max(page_.length, page_.area.y + page_.area.height);
}

void JobPrinter::CancelPage(const Command& command) {
  if (OutsidePageMode(command)) return;
  // The line being built lies in the area too.
  for (const PendingItem& item : state_.line) ListPlaced(item.offset, NotDrawnReason::PageCleared, "by CAN");
  state_.line.clear();
  state_.lineHeight = 0;
  for (const PageItem& item : ClearPageArea(page_.items, page_.area))
    if (!item.printed) ListPlaced(item.offset, NotDrawnReason::PageCleared, "by CAN");
}

void JobPrinter::PutPageOnPaper() {
  DevelopLine();
  // The whole page is fed, blank or not, down to the lowest area that held
  // anything or the one in force.
  page_.length = std::max(page_.length, page_.area.y + page_.area.height);
  for (PageItem& item : page_.items) {
    if (static_cast<std::int64_t>(list_.items.size() + 1) > byteLimit_ / kBytesPerListedItem) {
      full_ = true;
      return;
    }
    DrawnItem drawn;
    drawn.offset = item.offset;
    drawn.kind = item.kind;
    drawn.piece = state_.piece;
    drawn.area = item.area;
    drawn.area.y += page_.standardY;
    drawn.codePoint = item.codePoint;
    list_.items.push_back(drawn);
    list_.operations.push_back({item.dots, 1, 1});
    item.printed = true;
  }
  page_.standardY += page_.length;
}

void JobPrinter::PrintPage(const Command& command) {
  if (OutsidePageMode(command)) return;
  PutPageOnPaper();
  LeavePageMode();
}

void JobPrinter::PrintPageAndStay(const Command& command) {
  if (OutsidePageMode(command)) return;
  // The page keeps its data, area and position: ESC FF can print it again.
  PutPageOnPaper();
}

}  // namespace tesk::printer
