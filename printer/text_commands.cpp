#include <algorithm>
#include <cstdio>

#include "printer/job_printer.h"
#include "printer/parameter_bytes.h"

namespace tesk::printer {
namespace {

// Distinct cells kept at once; a job of endless distinct characters starts over.
constexpr std::size_t kMostCachedCells = 4096;

// ESC E, ESC G, GS B, ESC {, FS W: the lowest bit switches.
bool LowBit(unsigned value) { return (value & 1) != 0; }

// ESC - and FS -: 0 or 48 off, 1 or 49 one dot, 2 or 50 two dots.
bool UnderlineDots(unsigned value, int& dots) {
  if (value >= 48) value -= 48;
  if (value > 2) return false;
  dots = static_cast<int>(value);
  return true;
}

std::string CharacterName(std::uint64_t codePoint, std::span<const std::uint8_t> bytes) {
  char text[64];
  if (codePoint == kNoCharacter) {
    std::string name = "text bytes";
    for (const std::uint8_t byte : bytes) {
      std::snprintf(text, sizeof text, " %02X", byte);
      name += text;
    }
    return name;
  }
  std::snprintf(text, sizeof text, "text U+%04llX", static_cast<unsigned long long>(codePoint));
  return text;
}

}  // namespace

CellStyle JobPrinter::TextStyle(bool multibyte) const {
  CellStyle style;
  style.widthMultiplier = state_.widthMultiplier;
  style.heightMultiplier = state_.heightMultiplier;
  style.bold = state_.emphasis || state_.doubleStrike;
  style.reverse = state_.reverse;
  // Upside down turns the whole line half-way, a clockwise character with it.
  if (state_.clockwise)
    style.turn = state_.upsideDown ? Turn::CounterClockwise : Turn::Clockwise;
  else if (state_.upsideDown)
    style.turn = Turn::UpsideDown;
  if (multibyte) {
    // FS ! and FS W enlarge only the multibyte characters; GS ! enlarges both.
    style.widthMultiplier = std::max(style.widthMultiplier, state_.multibyteDoubleWidth ? 2 : 1);
    style.heightMultiplier = std::max(style.heightMultiplier, state_.multibyteDoubleHeight ? 2 : 1);
    style.underline = state_.multibyteUnderline;
    style.leftSpacing = static_cast<int>(state_.multibyteLeftSpacing);
    style.rightSpacing = static_cast<int>(state_.multibyteRightSpacing);
  } else {
    style.rightSpacing = static_cast<int>(state_.characterSpacing);
    style.underline = state_.underline;
  }
  return style;
}

void JobPrinter::Text(const Command& command) {
  decoder_.Decode(job_.subspan(command.offset, command.length), state_.characters, decoded_);
  for (const DecodedCharacter& character : decoded_) {
    if (full_) return;
    PrintCharacter(command.offset, character);
  }
}

const DotBlock* JobPrinter::CachedCell(char32_t codePoint, GlyphFont font, const FontCell& cell,
                                       const CellStyle& style, bool& noGlyph) {
  const std::vector<std::int64_t> key = {codePoint,
                                         static_cast<std::int64_t>(font),
                                         cell.width,
                                         cell.height,
                                         style.widthMultiplier,
                                         style.heightMultiplier,
                                         style.leftSpacing,
                                         style.rightSpacing,
                                         style.bold,
                                         style.underline,
                                         style.reverse,
                                         static_cast<std::int64_t>(style.turn)};
  auto found = cells_.find(key);
  if (found == cells_.end()) {
    const Glyph* glyph =
        codePoint == kNoCharacter ? nullptr : CellGlyph(glyphs_, codePoint, font, cell, style);
    if (!Affordable(((CellWidth(cell, style) + 7) / 8) * CellHeight(cell, style))) return nullptr;
    if (cells_.size() >= kMostCachedCells) {
      cells_.clear();
      missing_.clear();
    }
    found = cells_.emplace(key, DrawCell(glyph, cell, style)).first;
    // An empty cell for a character other than the space: no font has it.
    if (!glyph && codePoint != U' ') missing_.insert(key);
  }
  noGlyph = missing_.count(key) != 0;
  return &found->second;
}

void JobPrinter::PrintCharacter(std::uint64_t runOffset, const DecodedCharacter& character) {
  const std::uint64_t offset = runOffset + character.offset;
  const FontCell& cell = character.multibyte ? profile_.multibyte.cell : CurrentFont(state_, profile_);
  const CellStyle style = TextStyle(character.multibyte);
  const std::int64_t width = CellWidth(cell, style);
  const std::int64_t height = CellHeight(cell, style);
  // A character that does not fit goes to the next line, as printers wrap;
  // one wider than the whole area is printed alone and clipped.
  if (state_.x + width > state_.areaWidth && state_.x > 0) PrintLine(state_.lineSpacing);
  bool noGlyph = false;
  const DotBlock* dots =
      CachedCell(character.codePoint, character.multibyte ? GlyphFont::Ideograph : GlyphFont::Latin, cell,
                 style, noGlyph);
  if (!dots) return;
  if (noGlyph)
    List(offset, CharacterName(character.codePoint, job_.subspan(offset, character.length)),
         NotDrawnReason::NoGlyph);
  const std::int64_t visible = std::min(width, state_.areaWidth - state_.x);
  if (visible > 0) {
    StoredImage image{*dots, 1, 1};
    state_.line.push_back(
        {offset, ItemKind::Text, state_.x, visible, std::move(image), character.codePoint, true});
  }
  if (visible < width) List(offset, "text", NotDrawnReason::Clipped);
  state_.lineHeight = std::max(state_.lineHeight, height);
  state_.x += width;
}

void JobPrinter::Emphasis(const Command& command) {
  state_.emphasis = LowBit(ParameterByte(Parameters(command), 0));
}

void JobPrinter::DoubleStrike(const Command& command) {
  state_.doubleStrike = LowBit(ParameterByte(Parameters(command), 0));
}

void JobPrinter::Underline(const Command& command) {
  if (!UnderlineDots(ParameterByte(Parameters(command), 0), state_.underline))
    List(command, NotDrawnReason::BadParameters);
}

void JobPrinter::Reverse(const Command& command) {
  state_.reverse = LowBit(ParameterByte(Parameters(command), 0));
}

void JobPrinter::UpsideDown(const Command& command) {
  state_.upsideDown = LowBit(ParameterByte(Parameters(command), 0));
}

void JobPrinter::Rotation(const Command& command) {
  const unsigned value = ParameterByte(Parameters(command), 0);
  switch (value >= 48 ? value - 48 : value) {
    case 0: state_.clockwise = false; break;
    case 1:
    case 2: state_.clockwise = true; break;
    default: List(command, NotDrawnReason::BadParameters);
  }
}

void JobPrinter::CodePage(const Command& command) {
  const int page = static_cast<int>(ParameterByte(Parameters(command), 0));
  if (!decoder_.HasCodePage(page)) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  state_.characters.codePage = page;
}

void JobPrinter::InternationalSet(const Command& command) {
  const int set = static_cast<int>(ParameterByte(Parameters(command), 0));
  if (set > 15) {
    List(command, NotDrawnReason::BadParameters);
    return;
  }
  state_.characters.internationalSet = set;
}

void JobPrinter::MultibyteOn(const Command&) { state_.characters.multibyte = true; }
void JobPrinter::MultibyteOff(const Command&) { state_.characters.multibyte = false; }

void JobPrinter::MultibyteModes(const Command& command) {
  const unsigned modes = ParameterByte(Parameters(command), 0);
  state_.multibyteDoubleWidth = (modes & 0x04) != 0;
  state_.multibyteDoubleHeight = (modes & 0x08) != 0;
  state_.multibyteUnderline = (modes & 0x80) ? 1 : 0;
}

void JobPrinter::MultibyteUnderline(const Command& command) {
  if (!UnderlineDots(ParameterByte(Parameters(command), 0), state_.multibyteUnderline))
    List(command, NotDrawnReason::BadParameters);
}

void JobPrinter::MultibyteQuadruple(const Command& command) {
  const bool quadruple = LowBit(ParameterByte(Parameters(command), 0));
  state_.multibyteDoubleWidth = quadruple;
  state_.multibyteDoubleHeight = quadruple;
}

void JobPrinter::MultibyteSpacing(const Command& command) {
  // In dots at once: a later GS P leaves the spacing as it is.
  const auto parameters = Parameters(command);
  state_.multibyteLeftSpacing = HorizontalDots(state_, profile_, ParameterByte(parameters, 0));
  state_.multibyteRightSpacing = HorizontalDots(state_, profile_, ParameterByte(parameters, 1));
}

void JobPrinter::MultibyteCodeSystem(const Command& command) {
  const unsigned value = ParameterByte(Parameters(command), 0);
  switch (value >= 48 ? value - 48 : value) {
    case 0: state_.characters.kanjiCodes = KanjiCodes::Jis; break;
    case 1: state_.characters.kanjiCodes = KanjiCodes::ShiftJis; break;
    case 2: state_.characters.kanjiCodes = KanjiCodes::ShiftJis2004; break;
    default: List(command, NotDrawnReason::BadParameters);
  }
}

}  // namespace tesk::printer
