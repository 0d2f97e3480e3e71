#include "commands/command_stream.h"

#include "commands/command_scanner.h"

namespace tesk::commands {
namespace {

// Enough commands to get past a job's preamble (initialise, code page, line
// spacing, justification, a title line) to its first image or feed.
constexpr int kFirstCommands = 16;

bool StartsACommandStream(std::uint8_t byte) {
  return byte == 0x1B || byte == 0x1D || byte == 0x1C || byte == 0x10 || (byte >= 0x20 && byte < 0x7F);
}

}  // namespace

bool LooksLikeCommandStream(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || !StartsACommandStream(bytes[0])) return false;
  int seen = 0;
  bool unknownEarly = false;
  bool commandEarly = false;
  bool wholeRasterBand = false;
  ScanCommands(bytes, [&](const CommandRecord& command) {
    const bool early = seen++ < kFirstCommands;
    if (command.type == CommandType::RasterBand && !command.cutOff) wholeRasterBand = true;
    if (!early) return;
    if (command.type == CommandType::Unknown) unknownEarly = true;
    if (command.type == CommandType::Known || command.type == CommandType::RasterBand) commandEarly = true;
  });
  return wholeRasterBand || (commandEarly && !unknownEarly);
}

}  // namespace tesk::commands
