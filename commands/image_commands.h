#pragma once
// The image commands of a job that no reading of this program draws yet, so
// that a user who sees a picture missing knows which commands held it.

#include <span>
#include <string>

#include "commands/command_scanner.h"

namespace tesk::commands {

// True for bit images (ESC *), graphics that store or print an image (GS ( L,
// GS 8 L), defined and NV images (GS *, GS /, FS p) and column images (GS Q 0).
// GS v 0 is drawn by the band readings and is not one of them.
bool IsUndrawnImageCommand(const CommandRecord& command, std::span<const std::uint8_t> job);

}  // namespace tesk::commands
