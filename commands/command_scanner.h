#pragma once
// Splits a print job into its ESC/POS commands, so an engineer can see what a
// host really sent and where the raster bands stand.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace tesk::commands {

enum class CommandType : std::uint8_t {
  Text,        // a run of printable bytes
  Control,     // LF, CR, HT, FF, CAN
  Known,       // an ESC, GS, FS or DLE command of the table
  RasterBand,  // GS v 0 and its dot rows
  Unknown,     // bytes that are neither text nor a known command
};

// What a command does, for code that acts on commands rather than listing
// them (the printer model keeps one handler per code). Forms nobody acts on
// yet have None.
enum class CommandCode : std::uint8_t {
  None,
  LineFeed,
  CarriageReturn,
  HorizontalTab,
  Initialise,
  FeedDots,
  FeedLines,
  Justify,
  AbsolutePosition,
  RelativePosition,
  DefaultLineSpacing,
  LineSpacing,
  TabStops,
  CharacterSpacing,
  PrintModes,
  CharacterSize,
  SelectFont,
  MotionUnits,
  LeftMargin,
  PrintAreaWidth,
  BitImage,
  RasterImage,
  Graphics,
  VariableBitImage,
  DefineDownloadBitImage,
  PrintDownloadBitImage,
  DefineNvBitImage,
  PrintNvBitImage,
  Cut,
  PartialCutOnePoint,
  PartialCutThreePoints,
  Barcode,
  BarcodeSetting,
  ExtendedFunction,
  PageMode,
  Emphasis,
  DoubleStrike,
  Underline,
  Reverse,
  UpsideDown,
  Rotation,
  CodePage,
  InternationalSet,
  MultibyteOn,
  MultibyteOff,
  MultibyteModes,
  MultibyteUnderline,
  MultibyteQuadruple,
  MultibyteSpacing,
  MultibyteCodeSystem,
  StandardMode,
  PageArea,
  PageDirection,
  PageVerticalPosition,
  PageRelativeVerticalPosition,
  PrintPage,
  PrintPageAndStay,
  CancelPage,
};
inline constexpr std::size_t kCommandCodeCount = static_cast<std::size_t>(CommandCode::CancelPage) + 1;

struct CommandForm;

struct CommandRecord {
  CommandType type = CommandType::Unknown;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;  // bytes of the job it takes
  std::uint64_t needed = 0;  // bytes the command announces; more than length when cut off
  bool cutOff = false;
  const CommandForm* form = nullptr;  // Known and RasterBand
  CommandCode code = CommandCode::None;

  // GS v 0 only.
  std::uint8_t mode = 0;
  std::uint32_t widthBytes = 0;
  std::uint32_t height = 0;
  std::uint64_t dataOffset = 0;
  std::uint64_t dataLength = 0;  // widthBytes x height, as announced
};

// The command that starts at `at` (less than the job's size). A printer that
// reads a command differently from the table goes on from an offset of its own.
CommandRecord ReadCommand(std::span<const std::uint8_t> job, std::uint64_t at);

// Where the parameters of a Known command start: after its prefix, and for
// GS ( L / GS 8 L / GS ( x after their length field.
std::uint64_t ParameterOffset(const CommandRecord& command);

// Calls `visit` for every command of the job, in order. Linear in the job's
// size; the payload of a command (dot rows, graphics data) is skipped, not read.
void ScanCommands(std::span<const std::uint8_t> job, const std::function<void(const CommandRecord&)>& visit);

// The command's name as engineers write it ("GS v 0", "ESC J", "text").
std::string CommandName(const CommandRecord& command);
// Its decoded parameters ("mode 0 (normal), 72 bytes (576 dots) x 24 rows").
std::string DescribeCommand(const CommandRecord& command, std::span<const std::uint8_t> job);
// Its first bytes as hex, shortened for long commands.
std::string CommandBytes(const CommandRecord& command, std::span<const std::uint8_t> job,
                         std::size_t shown = 8);

// The name of a GS v 0 mode byte: normal, double width, double height, quadruple.
std::string RasterModeName(std::uint8_t mode);

}  // namespace tesk::commands
