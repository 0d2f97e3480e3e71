#pragma once
// Files the user asks for by name (a picture saved from the window), written
// under the same rules as the run's outputs: never over a file that is held.

#include <cstdint>
#include <filesystem>
#include <span>

namespace tesk::core {

// Creates or replaces `path` with `bytes`. 0 when written, else the errno.
int WriteExportFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace tesk::core
