#include <algorithm>

#include "printer/job_printer.h"
#include "printer/parameter_bytes.h"

namespace tesk::printer {
namespace {

using commands::CommandCode;

constexpr std::size_t Index(CommandCode code) { return static_cast<std::size_t>(code); }

}  // namespace

std::array<JobPrinter::Handler, commands::kCommandCodeCount> JobPrinter::MakeHandlers() {
  std::array<Handler, commands::kCommandCodeCount> handlers{};
  handlers[Index(CommandCode::LineFeed)] = &JobPrinter::LineFeed;
  handlers[Index(CommandCode::CarriageReturn)] = &JobPrinter::CarriageReturn;
  handlers[Index(CommandCode::HorizontalTab)] = &JobPrinter::HorizontalTab;
  handlers[Index(CommandCode::Initialise)] = &JobPrinter::Initialise;
  handlers[Index(CommandCode::FeedDots)] = &JobPrinter::FeedDots;
  handlers[Index(CommandCode::FeedLines)] = &JobPrinter::FeedLines;
  handlers[Index(CommandCode::Justify)] = &JobPrinter::Justify;
  handlers[Index(CommandCode::AbsolutePosition)] = &JobPrinter::AbsolutePosition;
  handlers[Index(CommandCode::RelativePosition)] = &JobPrinter::RelativePosition;
  handlers[Index(CommandCode::DefaultLineSpacing)] = &JobPrinter::DefaultLineSpacing;
  handlers[Index(CommandCode::LineSpacing)] = &JobPrinter::LineSpacing;
  handlers[Index(CommandCode::TabStops)] = &JobPrinter::TabStops;
  handlers[Index(CommandCode::CharacterSpacing)] = &JobPrinter::CharacterSpacing;
  handlers[Index(CommandCode::PrintModes)] = &JobPrinter::PrintModes;
  handlers[Index(CommandCode::CharacterSize)] = &JobPrinter::CharacterSize;
  handlers[Index(CommandCode::SelectFont)] = &JobPrinter::SelectFont;
  handlers[Index(CommandCode::MotionUnits)] = &JobPrinter::MotionUnits;
  handlers[Index(CommandCode::LeftMargin)] = &JobPrinter::LeftMargin;
  handlers[Index(CommandCode::PrintAreaWidth)] = &JobPrinter::PrintAreaWidth;
  handlers[Index(CommandCode::BitImage)] = &JobPrinter::BitImage;
  handlers[Index(CommandCode::RasterImage)] = &JobPrinter::RasterImage;
  handlers[Index(CommandCode::Graphics)] = &JobPrinter::Graphics;
  handlers[Index(CommandCode::VariableBitImage)] = &JobPrinter::VariableBitImage;
  handlers[Index(CommandCode::DefineDownloadBitImage)] = &JobPrinter::DefineDownloadBitImage;
  handlers[Index(CommandCode::PrintDownloadBitImage)] = &JobPrinter::PrintDownloadBitImage;
  handlers[Index(CommandCode::DefineNvBitImage)] = &JobPrinter::DefineNvBitImage;
  handlers[Index(CommandCode::PrintNvBitImage)] = &JobPrinter::PrintNvBitImage;
  handlers[Index(CommandCode::Cut)] = &JobPrinter::Cut;
  handlers[Index(CommandCode::PartialCutOnePoint)] = &JobPrinter::PartialCut;
  handlers[Index(CommandCode::PartialCutThreePoints)] = &JobPrinter::PartialCut;
  handlers[Index(CommandCode::Barcode)] = &JobPrinter::Symbol;
  handlers[Index(CommandCode::BarcodeSetting)] = &JobPrinter::BarcodeSetting;
  handlers[Index(CommandCode::ExtendedFunction)] = &JobPrinter::ExtendedFunction;
  handlers[Index(CommandCode::PageMode)] = &JobPrinter::PageMode;
  handlers[Index(CommandCode::Emphasis)] = &JobPrinter::Emphasis;
  handlers[Index(CommandCode::DoubleStrike)] = &JobPrinter::DoubleStrike;
  handlers[Index(CommandCode::Underline)] = &JobPrinter::Underline;
  handlers[Index(CommandCode::Reverse)] = &JobPrinter::Reverse;
  handlers[Index(CommandCode::UpsideDown)] = &JobPrinter::UpsideDown;
  handlers[Index(CommandCode::Rotation)] = &JobPrinter::Rotation;
  handlers[Index(CommandCode::CodePage)] = &JobPrinter::CodePage;
  handlers[Index(CommandCode::InternationalSet)] = &JobPrinter::InternationalSet;
  handlers[Index(CommandCode::MultibyteOn)] = &JobPrinter::MultibyteOn;
  handlers[Index(CommandCode::MultibyteOff)] = &JobPrinter::MultibyteOff;
  handlers[Index(CommandCode::MultibyteModes)] = &JobPrinter::MultibyteModes;
  handlers[Index(CommandCode::MultibyteUnderline)] = &JobPrinter::MultibyteUnderline;
  handlers[Index(CommandCode::MultibyteQuadruple)] = &JobPrinter::MultibyteQuadruple;
  handlers[Index(CommandCode::MultibyteSpacing)] = &JobPrinter::MultibyteSpacing;
  handlers[Index(CommandCode::MultibyteCodeSystem)] = &JobPrinter::MultibyteCodeSystem;
  handlers[Index(CommandCode::StandardMode)] = &JobPrinter::StandardMode;
  handlers[Index(CommandCode::PageArea)] = &JobPrinter::SelectPageArea;
  handlers[Index(CommandCode::PageDirection)] = &JobPrinter::SelectPageDirection;
  handlers[Index(CommandCode::PageVerticalPosition)] = &JobPrinter::PageVerticalPosition;
  handlers[Index(CommandCode::PageRelativeVerticalPosition)] = &JobPrinter::PageRelativeVerticalPosition;
  handlers[Index(CommandCode::PrintPage)] = &JobPrinter::PrintPage;
  handlers[Index(CommandCode::PrintPageAndStay)] = &JobPrinter::PrintPageAndStay;
  handlers[Index(CommandCode::CancelPage)] = &JobPrinter::CancelPage;
  return handlers;
}

JobPrinter::JobPrinter(std::span<const std::uint8_t> job, const Profile& profile, std::int64_t byteLimit,
                       DisplayList& list, Paper& paper)
    : job_(job), profile_(profile), byteLimit_(byteLimit), list_(list), paper_(paper), decoder_(profile) {
  InitialiseSettings(state_, profile_);
  ResetPage(nullptr);
}

bool JobPrinter::Run() {
  static const auto handlers = MakeHandlers();
  for (std::uint64_t at = 0; at < job_.size() && !full_; at = next_) {
    const Command command = commands::ReadCommand(job_, at);
    next_ = at + command.length;
    const Handler handler = handlers[Index(command.code)];
    const bool wasRaster = command.code == CommandCode::RasterImage;
    if (command.type == commands::CommandType::Text) {
      Text(command);
    } else if (!handler) {
      List(command, command.type == commands::CommandType::Unknown ? NotDrawnReason::UnknownCommand
                                                                   : NotDrawnReason::NotModelled);
    } else if (command.cutOff && !wasRaster) {
      // Only a raster band is worth drawing in part: its rows stand alone.
      List(command, NotDrawnReason::CutOff);
    } else {
      (this->*handler)(command);
    }
    state_.lastWasRaster = wasRaster;
  }
  EndJobInPage();
  for (const PendingItem& item : state_.line)
    List(item.offset, commands::CommandName(commands::ReadCommand(job_, item.offset)),
         NotDrawnReason::LeftInLineBuffer);
  if (state_.y > 0) list_.pieceHeights.push_back(state_.y);
  return !full_;
}

bool JobPrinter::Affordable(std::int64_t bytes) {
  if (bytes > byteLimit_ - heldBytes_) {
    full_ = true;
    return false;
  }
  heldBytes_ += bytes;
  return true;
}

void JobPrinter::List(std::uint64_t offset, std::string command, NotDrawnReason reason, std::string detail) {
  ++paper_.notDrawnCount;
  if (paper_.notDrawn.size() < kMostListedNotDrawn)
    paper_.notDrawn.push_back({offset, std::move(command), reason, std::move(detail)});
}

void JobPrinter::List(const Command& command, NotDrawnReason reason, std::string detail) {
  List(command.offset, commands::CommandName(command), reason, std::move(detail));
}

std::span<const std::uint8_t> JobPrinter::Parameters(const Command& command) const {
  const std::uint64_t start =
      std::min<std::uint64_t>(commands::ParameterOffset(command), command.offset + command.length);
  return job_.subspan(start, command.offset + command.length - start);
}

// ---- Placing dots ----

void JobPrinter::Place(std::uint64_t offset, ItemKind kind, std::int64_t x, std::int64_t visibleWidth,
                       const StoredImage& image, std::int64_t drop, char32_t codePoint) {
  if (static_cast<std::int64_t>(list_.items.size() + 1) > byteLimit_ / kBytesPerListedItem) {
    full_ = true;
    return;
  }
  if (page_.active) return PlaceInPage(offset, kind, x, visibleWidth, image, drop, codePoint);
  // Whatever the settings were, nothing is drawn beside the paper.
  x = std::clamp<std::int64_t>(x, 0, profile_.printableWidth);
  visibleWidth = std::min(visibleWidth, profile_.printableWidth - x);
  if (visibleWidth <= 0) return;
  DrawnItem item;
  item.offset = offset;
  item.kind = kind;
  item.piece = state_.piece;
  item.area = {x, state_.y + drop, visibleWidth, image.dots.height * image.scaleY};
  item.codePoint = codePoint;
  list_.items.push_back(item);
  list_.operations.push_back({image.dots, image.scaleX, image.scaleY});
}

void JobPrinter::PlaceLine() {
  if (!state_.line.empty()) {
    std::int64_t right = 0;
    for (const PendingItem& item : state_.line) right = std::max(right, item.x + item.clippedWidth);
    right = std::max(right, state_.x);
    const std::int64_t room = std::max<std::int64_t>(state_.areaWidth - std::min(right, state_.areaWidth), 0);
    const std::int64_t shift = state_.justification == Justification::Centre  ? room / 2
                               : state_.justification == Justification::Right ? room
                                                                              : 0;
    // Upside down, the printer prints the whole line turned half-way: the
    // first character ends up at the right and the baseline at the top.
    const auto lineX = [&](const PendingItem& item) {
      return state_.upsideDown ? right - item.x - item.clippedWidth : item.x;
    };
    const auto lineDrop = [&](const PendingItem& item) -> std::int64_t {
      if (!item.onBaseline || state_.upsideDown) return 0;
      return state_.lineHeight - item.image.dots.height * item.image.scaleY;
    };
    for (const PendingItem& item : state_.line)
      Place(item.offset, item.kind, state_.leftMargin + shift + lineX(item), item.clippedWidth, item.image,
            lineDrop(item), item.codePoint);
  }
}

void JobPrinter::PrintLine(std::int64_t feed) {
  PlaceLine();
  Feed(std::max(feed, state_.lineHeight));
  state_.line.clear();
  state_.lineHeight = 0;
  state_.x = 0;
}

void JobPrinter::AddToLine(const Command& command, ItemKind kind, const StoredImage& image) {
  const std::int64_t width = image.dots.width * image.scaleX;
  const std::int64_t visible = std::min(width, state_.areaWidth - state_.x);
  if (visible < width) List(command, NotDrawnReason::Clipped);
  if (visible > 0) {
    state_.line.push_back({command.offset, kind, state_.x, visible, image, 0, false});
    state_.lineHeight = std::max(state_.lineHeight, image.dots.height * image.scaleY);
  }
  state_.x += width;
}

std::int64_t JobPrinter::PrintAtOnce(const Command& command, ItemKind kind, const StoredImage& image) {
  // What the line buffer holds goes out first, with no feed of its own.
  if (!state_.line.empty() || state_.lineHeight > 0) PrintLine(0);
  const std::int64_t width = image.dots.width * image.scaleX;
  const std::int64_t room = std::max<std::int64_t>(state_.areaWidth - width, 0);
  const std::int64_t x = state_.leftMargin + (state_.justification == Justification::Centre  ? room / 2
                                              : state_.justification == Justification::Right ? room
                                                                                             : 0);
  const std::int64_t visible = std::max<std::int64_t>(std::min(width, AreaRight() - x), 0);
  if (visible < width) List(command, NotDrawnReason::Clipped);
  if (visible > 0) Place(command.offset, kind, x, visible, image);
  Feed(image.dots.height * image.scaleY);
  state_.x = 0;
  return x;
}

void JobPrinter::EndPiece(std::uint64_t offset) {
  PrintLine(0);
  if (state_.y == 0) return;  // a cut with no paper fed since the last one
  list_.pieceHeights.push_back(state_.y);
  paper_.cutOffsets.push_back(offset);
  ++state_.piece;
  state_.y = 0;
}

// ---- Paper motion ----

void JobPrinter::LineFeed(const Command& command) {
  if (state_.lastWasRaster && profile_.quirks.lineFeedAfterRasterSwallowed) {
    List(command, NotDrawnReason::IgnoredByQuirk);
    return;
  }
  PrintLine(state_.lineSpacing);
}

void JobPrinter::CarriageReturn(const Command& command) {
  // Without the quirk CR is ignored, as with automatic line feed off.
  if (profile_.quirks.carriageReturnFeeds) LineFeed(command);
}

void JobPrinter::FeedDots(const Command& command) {
  if (profile_.quirks.feedDotsIgnored) {
    List(command, NotDrawnReason::IgnoredByQuirk);
    return;
  }
  PrintLine(VerticalDots(state_, profile_, ParameterByte(Parameters(command), 0)));
}

void JobPrinter::FeedLines(const Command& command) {
  PrintLine(state_.lineSpacing * ParameterByte(Parameters(command), 0));
}

void JobPrinter::Cut(const Command& command) {
  if (IgnoredInPageMode(command)) return;
  const auto parameters = Parameters(command);
  switch (ParameterByte(parameters, 0)) {
    case 0:
    case 1:
    case 48:
    case 49: break;
    // The feed-and-cut forms; a reserved cut and a cut with feed back end
    // the piece at the same place on the paper.
    case 65:
    case 66:
    case 97:
    case 98:
    case 103:
    case 104:
      PrintLine(0);
      Feed(VerticalDots(state_, profile_, ParameterByte(parameters, 1)));
      break;
    default: List(command, NotDrawnReason::BadParameters); return;
  }
  EndPiece(command.offset);
}

void JobPrinter::PartialCut(const Command& command) {
  if (!IgnoredInPageMode(command)) EndPiece(command.offset);
}

// ---- Settings ----

void JobPrinter::Initialise(const Command&) {
  for (const PendingItem& item : state_.line)
    List(item.offset, commands::CommandName(commands::ReadCommand(job_, item.offset)),
         NotDrawnReason::ClearedByInitialise);
  InitialiseSettings(state_, profile_);
  ResetPage("by ESC @");
}

void JobPrinter::Justify(const Command& command) {
  switch (ParameterByte(Parameters(command), 0)) {
    case 0:
    case 48: state_.justification = Justification::Left; break;
    case 1:
    case 49: state_.justification = Justification::Centre; break;
    case 2:
    case 50: state_.justification = Justification::Right; break;
    default: List(command, NotDrawnReason::BadParameters);
  }
}

void JobPrinter::AbsolutePosition(const Command& command) {
  // A position outside the print area is ignored, as printers do.
  const std::int64_t x = AlongLineDots(ParameterWord(Parameters(command), 0));
  if (x < state_.areaWidth) state_.x = x;
}

void JobPrinter::RelativePosition(const Command& command) {
  const auto units = static_cast<std::int16_t>(ParameterWord(Parameters(command), 0));
  const std::int64_t step = AlongLineDots(units < 0 ? -units : units);
  const std::int64_t x = state_.x + (units < 0 ? -step : step);
  if (x >= 0 && x < state_.areaWidth) state_.x = x;
}

void JobPrinter::HorizontalTab(const Command&) {
  const std::int64_t advance = CharacterAdvance(state_, profile_);
  for (const std::int64_t column : state_.tabStops) {
    const std::int64_t x = column * advance;
    if (x > state_.x) {
      if (x < state_.areaWidth) state_.x = x;
      return;
    }
  }
}

void JobPrinter::TabStops(const Command& command) {
  state_.tabStops.clear();
  for (const std::uint8_t column : Parameters(command)) {
    if (column == 0 || (!state_.tabStops.empty() && column <= state_.tabStops.back())) break;
    state_.tabStops.push_back(column);
  }
}

void JobPrinter::DefaultLineSpacing(const Command&) { state_.lineSpacing = profile_.defaultLineSpacing; }

void JobPrinter::LineSpacing(const Command& command) {
  state_.lineSpacing = VerticalDots(state_, profile_, ParameterByte(Parameters(command), 0));
}

void JobPrinter::CharacterSpacing(const Command& command) {
  state_.characterSpacing = HorizontalDots(state_, profile_, ParameterByte(Parameters(command), 0));
}

void JobPrinter::PrintModes(const Command& command) {
  const unsigned modes = ParameterByte(Parameters(command), 0);
  state_.font = static_cast<int>(modes & 1);
  state_.emphasis = (modes & 0x08) != 0;
  state_.underline = (modes & 0x80) ? 1 : 0;
  state_.heightMultiplier = (modes & 0x10) ? 2 : 1;
  state_.widthMultiplier = (modes & 0x20) ? 2 : 1;
}

void JobPrinter::CharacterSize(const Command& command) {
  const unsigned size = ParameterByte(Parameters(command), 0);
  state_.widthMultiplier = static_cast<int>((size >> 4) & 7) + 1;
  state_.heightMultiplier = static_cast<int>(size & 7) + 1;
}

void JobPrinter::SelectFont(const Command& command) {
  const unsigned font = ParameterByte(Parameters(command), 0);
  state_.font = static_cast<int>(font >= 48 ? font - 48 : font);
}

void JobPrinter::MotionUnits(const Command& command) {
  const auto parameters = Parameters(command);
  state_.horizontalMotionUnit = ParameterByte(parameters, 0) ? static_cast<int>(ParameterByte(parameters, 0))
                                                             : profile_.horizontalMotionUnit;
  state_.verticalMotionUnit = ParameterByte(parameters, 1) ? static_cast<int>(ParameterByte(parameters, 1))
                                                           : profile_.verticalMotionUnit;
}

bool JobPrinter::AtLineStart(const Command& command) {
  // The print area may change only between lines, as printers have it; what
  // the line holds was placed against the old one.
  if (state_.x == 0 && state_.line.empty() && state_.lineHeight == 0) return true;
  List(command, NotDrawnReason::NotAtLineStart);
  return false;
}

void JobPrinter::LeftMargin(const Command& command) {
  if (IgnoredInPageMode(command) || !AtLineStart(command)) return;
  const std::int64_t width = profile_.printableWidth;
  state_.leftMargin =
      std::min(HorizontalDots(state_, profile_, ParameterWord(Parameters(command), 0)), width);
  state_.areaWidth = std::min(state_.areaWidth, width - state_.leftMargin);
}

void JobPrinter::PrintAreaWidth(const Command& command) {
  if (IgnoredInPageMode(command) || !AtLineStart(command)) return;
  state_.areaWidth =
      std::min<std::int64_t>(HorizontalDots(state_, profile_, ParameterWord(Parameters(command), 0)),
                             profile_.printableWidth - state_.leftMargin);
}

}  // namespace tesk::printer
