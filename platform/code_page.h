#pragma once
// Paths reach the OS in its file-system encoding, which is UTF-8 here, so the
// "wide" and "narrow" spellings of a path are the same bytes.

#include <filesystem>
#include <string>

namespace tesk::platform {

std::string ToAnsiCodePage(const std::filesystem::path& path);
std::filesystem::path FromAnsiCodePage(const std::string& narrow);

}  // namespace tesk::platform
