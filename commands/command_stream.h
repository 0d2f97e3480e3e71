#pragma once
// Is a file an ESC/POS print job even though it does not begin with ESC @?
// Encoders start jobs with a mode command, text, or the first GS v 0 itself.

#include <cstdint>
#include <span>

namespace tesk::commands {

// True when `bytes` begin with ESC, GS, FS, DLE or printable text, and either
// their first commands are all known to the scanner (with at least one real
// command among them, so plain text is not taken for a job) or they hold a
// whole GS v 0 command.
bool LooksLikeCommandStream(std::span<const std::uint8_t> bytes);

}  // namespace tesk::commands
