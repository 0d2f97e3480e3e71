#pragma once
// Extracts a dropped archive beside itself so the loader can go on with its
// last entry.

#include <filesystem>

namespace tesk::zip {

// `path`: the archive on entry; the last entry extracted when true is returned.
bool ExtractArchiveInput(std::filesystem::path& path);

}  // namespace tesk::zip
