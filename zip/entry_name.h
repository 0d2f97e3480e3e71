#pragma once
// Entry names read from an archive, made fit to name a file beneath the
// folder the archive is extracted into.

#include <cstddef>
#include <string>
#include <string_view>

namespace tesk::zip {

// Names of this many bytes or more are refused; neither side has room for them.
inline constexpr std::size_t kEntryNameLimit = 260;

// Drops what would lead out of the extraction folder: a drive ("C:"), leading
// separators, and everything up to a "\..\", "\../", "/../" or "/..\", step by
// step until none is left; then every "\" becomes "/", the separator of an
// archive made on Windows. Runs in time linear in the name's length.
std::string CleanEntryName(std::string_view rawName);

// True when a cleaned name can safely name a file or folder beneath the
// extraction folder: not empty, shorter than kEntryNameLimit, no zero byte,
// no leading "/" and no ".." segment anywhere.
bool IsSafeEntryName(std::string_view cleanedName);

}  // namespace tesk::zip
