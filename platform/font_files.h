#pragma once
// Where the installed fonts the paper draws text with live. Debian puts each
// package's fonts at a fixed path; when a font is not there, the usual font
// folders are searched for the same file name.

#include <filesystem>

namespace tesk::platform {

enum class FontRole : unsigned char {
  Latin,      // a monospaced font for the single-byte code pages
  Ideograph,  // a font of Chinese, Japanese and Korean characters
};

// An empty path when no such font is installed.
std::filesystem::path FindFontFile(FontRole role);

}  // namespace tesk::platform
