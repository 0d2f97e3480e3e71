#include "commands/command_scanner.h"

#include <cstdio>
#include <iterator>

#include "platform/little_endian.h"

namespace tesk::commands {

// How a command's length follows from its bytes, beyond its prefix and fixed parameters.
enum class Payload : std::uint8_t {
  None,
  BitImage,        // ESC * m nL nH: n columns of 1 or 3 bytes
  RasterImage,     // GS v 0 m xL xH yL yH: x * y bytes
  Cut,             // GS V m [n]: n only for the feed-and-cut forms
  LengthPrefix16,  // GS ( x pL pH: p bytes
  LengthPrefix32,  // GS 8 L p1..p4: p bytes
  NulTerminated,   // ESC D: tab stops up to NUL
  Barcode,         // GS k m: NUL-terminated (m <= 6) or n bytes (m >= 65)
  DefinedImage,    // GS * x y: x * y * 8 bytes
  NvBitImages,     // FS q n: n images, each xL xH yL yH and x * y * 8 bytes
  ColumnImage,     // GS Q 0 m xL xH yL yH: x * y bytes
};

using Describer = std::string (*)(std::span<const std::uint8_t> parameters);

struct CommandForm {
  std::uint8_t prefix[3];
  std::uint8_t prefixLength;
  std::uint8_t parameters;  // fixed parameter bytes after the prefix
  Payload payload;
  const char* name;
  Describer describe;
  CommandCode code = CommandCode::None;
};

namespace {

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0,
                   unsigned long long c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

unsigned Byte(std::span<const std::uint8_t> bytes, std::size_t index) {
  return index < bytes.size() ? bytes[index] : 0;
}

unsigned Word(std::span<const std::uint8_t> bytes, std::size_t index) {
  return Byte(bytes, index) + 256 * Byte(bytes, index + 1);
}

std::string Nothing(std::span<const std::uint8_t>) { return ""; }
std::string Initialise(std::span<const std::uint8_t>) { return "initialise the printer"; }
std::string FeedDots(std::span<const std::uint8_t> p) {
  return Format("print and feed %llu dots", Byte(p, 0));
}
std::string FeedLines(std::span<const std::uint8_t> p) {
  return Format("print and feed %llu lines", Byte(p, 0));
}
std::string Justify(std::span<const std::uint8_t> p) {
  switch (Byte(p, 0)) {
    case 0:
    case 48: return "justify left";
    case 1:
    case 49: return "justify centre";
    case 2:
    case 50: return "justify right";
  }
  return Format("justify %llu (undefined)", Byte(p, 0));
}
std::string AbsolutePosition(std::span<const std::uint8_t> p) {
  return Format("absolute position %llu", Word(p, 0));
}
std::string DefaultSpacing(std::span<const std::uint8_t>) { return "default line spacing"; }
std::string LineSpacing(std::span<const std::uint8_t> p) {
  return Format("line spacing %llu dots", Byte(p, 0));
}
std::string Font(std::span<const std::uint8_t> p) { return Format("character font %llu", Byte(p, 0) & 0x0F); }
std::string OnOff(std::span<const std::uint8_t> p) { return (Byte(p, 0) & 1) ? "on" : "off"; }
std::string Underline(std::span<const std::uint8_t> p) {
  return Format("underline %llu dot(s)", Byte(p, 0) >= 48 ? Byte(p, 0) - 48 : Byte(p, 0));
}
std::string PrintModes(std::span<const std::uint8_t> p) { return Format("print mode 0x%02llx", Byte(p, 0)); }
std::string Size(std::span<const std::uint8_t> p) {
  return Format("character size %llu x %llu", (Byte(p, 0) >> 4) + 1, (Byte(p, 0) & 0x0F) + 1);
}
std::string LeftMargin(std::span<const std::uint8_t> p) {
  return Format("left margin %llu dots", Word(p, 0));
}
std::string AreaWidth(std::span<const std::uint8_t> p) {
  return Format("print area width %llu dots", Word(p, 0));
}
std::string Reverse(std::span<const std::uint8_t> p) {
  return std::string("white/black reverse ") + OnOff(p);
}
std::string Emphasis(std::span<const std::uint8_t> p) { return std::string("emphasis ") + OnOff(p); }
std::string OneValue(std::span<const std::uint8_t> p) { return Format("n = %llu", Byte(p, 0)); }
std::string TwoValues(std::span<const std::uint8_t> p) {
  return Format("%llu, %llu", Byte(p, 0), Byte(p, 1));
}
std::string Pulse(std::span<const std::uint8_t> p) {
  return Format("drawer pin %llu, on %llu, off %llu", Byte(p, 0) & 1, Byte(p, 1), Byte(p, 2));
}
std::string Cut(std::span<const std::uint8_t> p) {
  switch (Byte(p, 0)) {
    case 0:
    case 48: return "full cut";
    case 1:
    case 49: return "partial cut";
    case 65: return Format("feed %llu and full cut", Byte(p, 1));
    case 66: return Format("feed %llu and partial cut", Byte(p, 1));
    case 97: return Format("reserve full cut after feed %llu", Byte(p, 1));
    case 98: return Format("reserve partial cut after feed %llu", Byte(p, 1));
    case 103: return Format("feed %llu and full cut, then feed back", Byte(p, 1));
    case 104: return Format("feed %llu and partial cut, then feed back", Byte(p, 1));
  }
  return Format("cut form %llu (undefined)", Byte(p, 0));
}
std::string Graphics16(std::span<const std::uint8_t> p) {
  return Format("function %llu, %llu parameter bytes", Byte(p, 3), Word(p, 0));
}
std::string ExtendedFunction(std::span<const std::uint8_t> p) {
  char letter[2] = {static_cast<char>(Byte(p, 0) >= 0x20 && Byte(p, 0) < 0x7F ? Byte(p, 0) : '?'), 0};
  return std::string("function group ") + letter + Format(", %llu parameter bytes", Word(p, 1));
}
std::string Graphics32(std::span<const std::uint8_t> p) {
  const std::uint32_t length = p.size() >= 4 ? platform::ReadLe32(p.data()) : 0;
  return Format("function %llu, %llu parameter bytes", Byte(p, 5), length);
}
std::string BitImage(std::span<const std::uint8_t> p) {
  return Format("bit image mode %llu, %llu columns", Byte(p, 0), Word(p, 1));
}
std::string Barcode(std::span<const std::uint8_t> p) { return Format("bar code system %llu", Byte(p, 0)); }
std::string DefinedImage(std::span<const std::uint8_t> p) {
  return Format("define bit image %llu x %llu bytes", Byte(p, 0) * 8ull, Byte(p, 1));
}
std::string RelativePosition(std::span<const std::uint8_t> p) {
  const long long units = static_cast<std::int16_t>(Word(p, 0));
  return std::string("relative position ") + std::to_string(units);
}
std::string NvBitImages(std::span<const std::uint8_t> p) {
  return Format("define %llu NV bit image(s)", Byte(p, 0));
}
std::string ColumnImage(std::span<const std::uint8_t> p) {
  return Format("variable vertical size bit image, %llu dots x %llu bytes high", Word(p, 1), Word(p, 3));
}
std::string KanjiOn(std::span<const std::uint8_t>) { return "select Kanji character mode"; }
std::string KanjiOff(std::span<const std::uint8_t>) { return "cancel Kanji character mode"; }
std::string PageModeOn(std::span<const std::uint8_t>) { return "select page mode"; }
std::string StandardModeOn(std::span<const std::uint8_t>) { return "select standard mode"; }
std::string PrintPageAndStay(std::span<const std::uint8_t>) { return "print the page and stay in page mode"; }
std::string PageArea(std::span<const std::uint8_t> p) {
  return Format("page area from %llu, %llu", Word(p, 0), Word(p, 2)) +
         Format(", %llu x %llu", Word(p, 4), Word(p, 6));
}
std::string PageDirection(std::span<const std::uint8_t> p) {
  switch (Byte(p, 0)) {
    case 0:
    case 48: return "page direction left to right, from the top left";
    case 1:
    case 49: return "page direction bottom to top, from the bottom left";
    case 2:
    case 50: return "page direction right to left, from the bottom right";
    case 3:
    case 51: return "page direction top to bottom, from the top right";
  }
  return Format("page direction %llu (undefined)", Byte(p, 0));
}
std::string PageVerticalPosition(std::span<const std::uint8_t> p) {
  return Format("page vertical position %llu", Word(p, 0));
}
std::string PageRelativeVerticalPosition(std::span<const std::uint8_t> p) {
  return "page relative vertical position " + std::to_string(static_cast<std::int16_t>(Word(p, 0)));
}
std::string RealTimeStatus(std::span<const std::uint8_t> p) {
  return Format("real-time status %llu", Byte(p, 0));
}

// The forms each escape byte starts, in the order they are tried: a longer
// prefix stands before a shorter one it begins with (GS ( L before GS ().
constexpr CommandForm kEscForms[] = {
    {{0x1B, '@'}, 2, 0, Payload::None, "ESC @", Initialise, CommandCode::Initialise},
    {{0x1B, 'J'}, 2, 1, Payload::None, "ESC J", FeedDots, CommandCode::FeedDots},
    {{0x1B, 'd'}, 2, 1, Payload::None, "ESC d", FeedLines, CommandCode::FeedLines},
    {{0x1B, 'a'}, 2, 1, Payload::None, "ESC a", Justify, CommandCode::Justify},
    {{0x1B, '$'}, 2, 2, Payload::None, "ESC $", AbsolutePosition, CommandCode::AbsolutePosition},
    {{0x1B, '2'}, 2, 0, Payload::None, "ESC 2", DefaultSpacing, CommandCode::DefaultLineSpacing},
    {{0x1B, '3'}, 2, 1, Payload::None, "ESC 3", LineSpacing, CommandCode::LineSpacing},
    {{0x1B, 'M'}, 2, 1, Payload::None, "ESC M", Font, CommandCode::SelectFont},
    {{0x1B, 'E'}, 2, 1, Payload::None, "ESC E", Emphasis, CommandCode::Emphasis},
    {{0x1B, 'G'}, 2, 1, Payload::None, "ESC G", Emphasis, CommandCode::DoubleStrike},
    {{0x1B, '-'}, 2, 1, Payload::None, "ESC -", Underline, CommandCode::Underline},
    {{0x1B, '!'}, 2, 1, Payload::None, "ESC !", PrintModes, CommandCode::PrintModes},
    {{0x1B, ' '}, 2, 1, Payload::None, "ESC SP", OneValue, CommandCode::CharacterSpacing},
    {{0x1B, '%'}, 2, 1, Payload::None, "ESC %", OneValue},
    {{0x1B, 'R'}, 2, 1, Payload::None, "ESC R", OneValue, CommandCode::InternationalSet},
    {{0x1B, 't'}, 2, 1, Payload::None, "ESC t", OneValue, CommandCode::CodePage},
    {{0x1B, 'V'}, 2, 1, Payload::None, "ESC V", OneValue, CommandCode::Rotation},
    {{0x1B, '{'}, 2, 1, Payload::None, "ESC {", OneValue, CommandCode::UpsideDown},
    {{0x1B, 'U'}, 2, 1, Payload::None, "ESC U", OneValue},
    {{0x1B, 'r'}, 2, 1, Payload::None, "ESC r", OneValue},
    {{0x1B, 'e'}, 2, 1, Payload::None, "ESC e", FeedLines},
    {{0x1B, 'T'}, 2, 1, Payload::None, "ESC T", PageDirection, CommandCode::PageDirection},
    {{0x1B, 'c'}, 2, 2, Payload::None, "ESC c", TwoValues},
    {{0x1B, 'p'}, 2, 3, Payload::None, "ESC p", Pulse},
    {{0x1B, 'L'}, 2, 0, Payload::None, "ESC L", PageModeOn, CommandCode::PageMode},
    {{0x1B, 'S'}, 2, 0, Payload::None, "ESC S", StandardModeOn, CommandCode::StandardMode},
    {{0x1B, 'W'}, 2, 8, Payload::None, "ESC W", PageArea, CommandCode::PageArea},
    {{0x1B, 0x0C}, 2, 0, Payload::None, "ESC FF", PrintPageAndStay, CommandCode::PrintPageAndStay},
    {{0x1B, 'i'}, 2, 0, Payload::None, "ESC i", Nothing, CommandCode::PartialCutOnePoint},
    {{0x1B, 'm'}, 2, 0, Payload::None, "ESC m", Nothing, CommandCode::PartialCutThreePoints},
    {{0x1B, 'D'}, 2, 0, Payload::NulTerminated, "ESC D", Nothing, CommandCode::TabStops},
    {{0x1B, '\\'}, 2, 2, Payload::None, "ESC \\", RelativePosition, CommandCode::RelativePosition},
    {{0x1B, '*'}, 2, 3, Payload::BitImage, "ESC *", BitImage, CommandCode::BitImage},
};

constexpr CommandForm kGsForms[] = {
    {{0x1D, 'v', '0'}, 3, 5, Payload::RasterImage, "GS v 0", Nothing, CommandCode::RasterImage},
    {{0x1D, '!'}, 2, 1, Payload::None, "GS !", Size, CommandCode::CharacterSize},
    {{0x1D, 'L'}, 2, 2, Payload::None, "GS L", LeftMargin, CommandCode::LeftMargin},
    {{0x1D, '$'}, 2, 2, Payload::None, "GS $", PageVerticalPosition, CommandCode::PageVerticalPosition},
    {{0x1D, '\\'},
     2,
     2,
     Payload::None,
     "GS \\",
     PageRelativeVerticalPosition,
     CommandCode::PageRelativeVerticalPosition},
    {{0x1D, 'W'}, 2, 2, Payload::None, "GS W", AreaWidth, CommandCode::PrintAreaWidth},
    {{0x1D, 'B'}, 2, 1, Payload::None, "GS B", Reverse, CommandCode::Reverse},
    {{0x1D, 'V'}, 2, 1, Payload::Cut, "GS V", Cut, CommandCode::Cut},
    {{0x1D, '(', 'L'}, 3, 2, Payload::LengthPrefix16, "GS ( L", Graphics16, CommandCode::Graphics},
    {{0x1D, '8', 'L'}, 3, 4, Payload::LengthPrefix32, "GS 8 L", Graphics32, CommandCode::Graphics},
    {{0x1D, '('}, 2, 0, Payload::LengthPrefix16, "GS (", ExtendedFunction, CommandCode::ExtendedFunction},
    {{0x1D, 'k'}, 2, 1, Payload::Barcode, "GS k", Barcode, CommandCode::Barcode},
    {{0x1D, '*'}, 2, 2, Payload::DefinedImage, "GS *", DefinedImage, CommandCode::DefineDownloadBitImage},
    {{0x1D, 'Q', '0'}, 3, 5, Payload::ColumnImage, "GS Q 0", ColumnImage, CommandCode::VariableBitImage},
    {{0x1D, '/'}, 2, 1, Payload::None, "GS /", OneValue, CommandCode::PrintDownloadBitImage},
    {{0x1D, 'P'}, 2, 2, Payload::None, "GS P", TwoValues, CommandCode::MotionUnits},
    {{0x1D, 'a'}, 2, 1, Payload::None, "GS a", OneValue},
    {{0x1D, 'b'}, 2, 1, Payload::None, "GS b", OneValue},
    {{0x1D, 'f'}, 2, 1, Payload::None, "GS f", OneValue, CommandCode::BarcodeSetting},
    {{0x1D, 'h'}, 2, 1, Payload::None, "GS h", OneValue, CommandCode::BarcodeSetting},
    {{0x1D, 'w'}, 2, 1, Payload::None, "GS w", OneValue, CommandCode::BarcodeSetting},
    {{0x1D, 'H'}, 2, 1, Payload::None, "GS H", OneValue, CommandCode::BarcodeSetting},
    {{0x1D, 'r'}, 2, 1, Payload::None, "GS r", OneValue},
    {{0x1D, 'I'}, 2, 1, Payload::None, "GS I", OneValue},
};

constexpr CommandForm kFsForms[] = {
    {{0x1C, '.'}, 2, 0, Payload::None, "FS .", KanjiOff, CommandCode::MultibyteOff},
    {{0x1C, '&'}, 2, 0, Payload::None, "FS &", KanjiOn, CommandCode::MultibyteOn},
    {{0x1C, '!'}, 2, 1, Payload::None, "FS !", PrintModes, CommandCode::MultibyteModes},
    {{0x1C, '-'}, 2, 1, Payload::None, "FS -", Underline, CommandCode::MultibyteUnderline},
    {{0x1C, 'C'}, 2, 1, Payload::None, "FS C", OneValue, CommandCode::MultibyteCodeSystem},
    {{0x1C, 'W'}, 2, 1, Payload::None, "FS W", OneValue, CommandCode::MultibyteQuadruple},
    {{0x1C, 'S'}, 2, 2, Payload::None, "FS S", TwoValues, CommandCode::MultibyteSpacing},
    {{0x1C, 'q'}, 2, 1, Payload::NvBitImages, "FS q", NvBitImages, CommandCode::DefineNvBitImage},
    {{0x1C, 'p'}, 2, 2, Payload::None, "FS p", TwoValues, CommandCode::PrintNvBitImage},
};

// DLE EOT 7, 8 and 18 ask about one of several units and name it in a
// fourth byte; DLE DC4 7 (status in real time) and 8 (clear the buffers)
// are shorter and longer than the other DLE DC4 functions.
constexpr CommandForm kDleForms[] = {
    {{0x10, 0x04, 0x07}, 3, 1, Payload::None, "DLE EOT 7", OneValue},
    {{0x10, 0x04, 0x08}, 3, 1, Payload::None, "DLE EOT 8", OneValue},
    {{0x10, 0x04, 0x12}, 3, 1, Payload::None, "DLE EOT 18", OneValue},
    {{0x10, 0x04}, 2, 1, Payload::None, "DLE EOT", RealTimeStatus},
    {{0x10, 0x05}, 2, 1, Payload::None, "DLE ENQ", OneValue},
    {{0x10, 0x14, 0x07}, 3, 1, Payload::None, "DLE DC4 7", OneValue},
    {{0x10, 0x14, 0x08}, 3, 7, Payload::None, "DLE DC4 8", Nothing},
    {{0x10, 0x14}, 2, 3, Payload::None, "DLE DC4", TwoValues},
};

std::span<const CommandForm> FormsStartingWith(std::uint8_t first) {
  switch (first) {
    case 0x1B: return kEscForms;
    case 0x1D: return kGsForms;
    case 0x1C: return kFsForms;
    case 0x10: return kDleForms;
  }
  return {};
}

// Escape bytes that start a command even when the table does not know the
// command; the unknown form is reported as its prefix and one byte.
bool IsEscapeByte(std::uint8_t byte) { return !FormsStartingWith(byte).empty(); }
bool IsControlByte(std::uint8_t byte) {
  return byte == 0x0A || byte == 0x0D || byte == 0x09 || byte == 0x0C || byte == 0x18;
}
bool IsTextByte(std::uint8_t byte) { return byte >= 0x20 && byte != 0x7F; }

const CommandForm* FindForm(std::span<const std::uint8_t> job, std::uint64_t at) {
  for (const CommandForm& form : FormsStartingWith(job[at])) {
    if (at + form.prefixLength > job.size()) continue;
    bool match = true;
    for (std::uint8_t index = 0; index < form.prefixLength && match; ++index)
      match = job[at + index] == form.prefix[index];
    if (match) return &form;
  }
  return nullptr;
}

// The whole length a command announces, counted from its first byte; the
// caller compares it with what the job really holds.
std::uint64_t AnnouncedLength(const CommandForm& form, std::span<const std::uint8_t> job, std::uint64_t at,
                              CommandRecord& record) {
  const std::uint64_t fixed = std::uint64_t{form.prefixLength} + form.parameters;
  const auto parameter = [&](std::uint64_t index) -> std::uint64_t {
    const std::uint64_t position = at + form.prefixLength + index;
    return position < job.size() ? job[position] : 0;
  };
  switch (form.payload) {
    case Payload::None: return fixed;
    case Payload::BitImage: {
      const std::uint64_t columns = parameter(1) + 256 * parameter(2);
      const std::uint64_t mode = parameter(0);
      return fixed + columns * (mode == 32 || mode == 33 ? 3 : 1);
    }
    case Payload::RasterImage:
      record.mode = static_cast<std::uint8_t>(parameter(0));
      record.widthBytes = static_cast<std::uint32_t>(parameter(1) + 256 * parameter(2));
      record.height = static_cast<std::uint32_t>(parameter(3) + 256 * parameter(4));
      record.dataOffset = at + fixed;
      record.dataLength = std::uint64_t{record.widthBytes} * record.height;
      return fixed + record.dataLength;
    case Payload::Cut: {
      const std::uint64_t cutKind = parameter(0);
      const bool feeds = cutKind == 65 || cutKind == 66 || cutKind == 97 || cutKind == 98 || cutKind == 103 ||
                         cutKind == 104;
      return fixed + (feeds ? 1 : 0);
    }
    case Payload::LengthPrefix16: {
      // GS ( L names its function in the prefix; the other GS ( commands carry
      // the function letter before the length.
      const std::uint64_t letter = form.prefixLength == 2 ? 1 : 0;
      return std::uint64_t{form.prefixLength} + letter + 2 + parameter(letter) + 256 * parameter(letter + 1);
    }
    case Payload::LengthPrefix32:
      return std::uint64_t{form.prefixLength} + 4 + parameter(0) + (parameter(1) << 8) +
             (parameter(2) << 16) + (parameter(3) << 24);
    case Payload::NulTerminated: {
      std::uint64_t end = at + fixed;
      while (end < job.size() && job[end] != 0) ++end;
      return end - at + 1;
    }
    case Payload::Barcode: {
      if (parameter(0) >= 65) return fixed + 1 + parameter(1);
      std::uint64_t end = at + fixed;
      while (end < job.size() && job[end] != 0) ++end;
      return end - at + 1;
    }
    case Payload::DefinedImage: return fixed + parameter(0) * parameter(1) * 8;
    case Payload::ColumnImage:
      return fixed + (parameter(1) + 256 * parameter(2)) * (parameter(3) + 256 * parameter(4));
    case Payload::NvBitImages: {
      // Each image carries its own size, so the length is found by walking them.
      std::uint64_t length = fixed;
      for (std::uint64_t image = 0; image < parameter(0); ++image) {
        const std::uint64_t header = at + length;
        if (header + 4 > job.size()) return length + 4;
        const std::uint64_t width = platform::ReadLe16(job.data() + header);
        const std::uint64_t height = platform::ReadLe16(job.data() + header + 2);
        length += 4 + width * height * 8;
      }
      return length;
    }
  }
  return fixed;
}

}  // namespace

CommandRecord ReadCommand(std::span<const std::uint8_t> job, std::uint64_t at) {
  const std::uint64_t size = job.size();
  CommandRecord record;
  record.offset = at;
  const std::uint8_t first = job[at];
  if (const CommandForm* form = IsEscapeByte(first) ? FindForm(job, at) : nullptr) {
    record.type = form->payload == Payload::RasterImage ? CommandType::RasterBand : CommandType::Known;
    record.form = form;
    record.code = form->code;
    record.needed = AnnouncedLength(*form, job, at, record);
  } else if (IsEscapeByte(first)) {
    record.type = CommandType::Unknown;
    record.needed = 2;
  } else if (IsControlByte(first)) {
    record.type = CommandType::Control;
    record.code = first == 0x0A   ? CommandCode::LineFeed
                  : first == 0x0D ? CommandCode::CarriageReturn
                  : first == 0x09 ? CommandCode::HorizontalTab
                  : first == 0x0C ? CommandCode::PrintPage
                                  : CommandCode::CancelPage;
    record.needed = 1;
  } else if (IsTextByte(first)) {
    record.type = CommandType::Text;
    std::uint64_t end = at;
    while (end < size && IsTextByte(job[end])) ++end;
    record.needed = end - at;
  } else {
    record.type = CommandType::Unknown;
    std::uint64_t end = at;
    while (end < size && !IsTextByte(job[end]) && !IsControlByte(job[end]) && !IsEscapeByte(job[end])) ++end;
    record.needed = end - at;
  }
  record.cutOff = record.needed > size - at;
  record.length = record.cutOff ? size - at : record.needed;
  return record;
}

std::uint64_t ParameterOffset(const CommandRecord& command) {
  if (!command.form) return command.offset;
  const CommandForm& form = *command.form;
  switch (form.payload) {
    case Payload::LengthPrefix16:
      return command.offset + form.prefixLength + (form.prefixLength == 2 ? 3 : 2);
    case Payload::LengthPrefix32: return command.offset + form.prefixLength + 4;
    default: return command.offset + form.prefixLength;
  }
}

void ScanCommands(std::span<const std::uint8_t> job, const std::function<void(const CommandRecord&)>& visit) {
  for (std::uint64_t at = 0; at < job.size();) {
    const CommandRecord record = ReadCommand(job, at);
    visit(record);
    at += record.length;
  }
}

std::string RasterModeName(std::uint8_t mode) {
  switch (mode) {
    case 0:
    case 48: return "normal";
    case 1:
    case 49: return "double width";
    case 2:
    case 50: return "double height";
    case 3:
    case 51: return "quadruple";
  }
  return "undefined";
}

std::string CommandName(const CommandRecord& command) {
  switch (command.type) {
    case CommandType::Text: return "text";
    case CommandType::Unknown: return "unknown";
    case CommandType::Control: return "control";
    case CommandType::Known:
    case CommandType::RasterBand: return command.form->name;
  }
  return "";
}

// GCC 12 at -O3 reports an overlap inside std::string's concatenation that cannot
// happen (its -Wrestrict false positive on operator+); later compilers do not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
std::string DescribeCommand(const CommandRecord& command, std::span<const std::uint8_t> job) {
  const auto bytes = job.subspan(command.offset, command.length);
  std::string text;
  switch (command.type) {
    case CommandType::Text: {
      text = "\"";
      for (std::size_t index = 0; index < bytes.size() && index < 60; ++index) {
        const std::uint8_t byte = bytes[index];
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\')
          text += static_cast<char>(byte);
        else
          text += Format("\\x%02llx", byte);
      }
      text += bytes.size() > 60 ? "\"..." : "\"";
      text += Format(" (%llu bytes)", bytes.size());
      break;
    }
    case CommandType::Control:
      switch (bytes[0]) {
        case 0x0A: text = "LF: print and line feed"; break;
        case 0x0D: text = "CR: print and carriage return"; break;
        case 0x09: text = "HT: horizontal tab"; break;
        case 0x0C: text = "FF: print and return to standard mode"; break;
        default: text = "CAN: cancel print data in page mode"; break;
      }
      break;
    case CommandType::Unknown:
      text = IsEscapeByte(bytes[0]) ? "unknown command" : Format("%llu unknown bytes", bytes.size());
      break;
    case CommandType::Known:
      text = command.form->describe(
          bytes.subspan(std::min<std::size_t>(command.form->prefixLength, bytes.size())));
      break;
    case CommandType::RasterBand:
      text = Format("mode %llu (", command.mode) + RasterModeName(command.mode) +
             Format("), %llu bytes (%llu dots) x %llu rows", command.widthBytes,
                    std::uint64_t{command.widthBytes} * 8, command.height) +
             Format(", %llu data bytes", command.dataLength);
      if (command.cutOff) text += Format(", only %llu present", command.length > 8 ? command.length - 8 : 0);
      break;
  }
  if (command.cutOff)
    text += Format(" [cut off by the end of the job: %llu of %llu bytes]", command.length, command.needed);
  return text;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

std::string CommandBytes(const CommandRecord& command, std::span<const std::uint8_t> job, std::size_t shown) {
  std::string text;
  const std::uint64_t count = command.length < shown ? command.length : shown;
  for (std::uint64_t index = 0; index < count; ++index)
    text += Format(index ? " %02llx" : "%02llx", job[command.offset + index]);
  if (command.length > shown) text += " ...";
  return text;
}

}  // namespace tesk::commands
