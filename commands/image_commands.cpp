#include "commands/image_commands.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tesk::commands {
namespace {

// Graphics functions that define, store or print an image; the others set
// densities, report capacities or delete.
bool IsImageGraphicsFunction(std::uint8_t function) {
  constexpr std::array<std::uint8_t, 9> kImageFunctions = {50, 67, 68, 69, 83, 84, 85, 112, 113};
  return std::find(kImageFunctions.begin(), kImageFunctions.end(), function) != kImageFunctions.end();
}

std::uint8_t ByteAt(std::span<const std::uint8_t> job, std::uint64_t index, std::uint64_t end) {
  return index < end ? job[index] : 0;
}

}  // namespace

bool IsUndrawnImageCommand(const CommandRecord& command, std::span<const std::uint8_t> job) {
  if (command.type != CommandType::Known) return false;
  const std::string name = CommandName(command);
  const std::uint64_t end = command.offset + command.length;
  // The function byte follows the length and the m byte: GS ( L pL pH m fn, GS 8 L p1..p4 m fn.
  if (name == "GS ( L") return IsImageGraphicsFunction(ByteAt(job, command.offset + 6, end));
  if (name == "GS 8 L") return IsImageGraphicsFunction(ByteAt(job, command.offset + 8, end));
  constexpr std::array<std::string_view, 5> kImageCommands = {"ESC *", "GS *", "GS /", "FS p", "GS Q 0"};
  return std::find(kImageCommands.begin(), kImageCommands.end(), name) != kImageCommands.end();
}

}  // namespace tesk::commands
