#pragma once
// The ANSI code pages of the original are the file-system encoding here,
// UTF-8, so "wide" and "narrow" spellings of a path are the same bytes.

#include <filesystem>
#include <string>

namespace tesk::platform {

std::string ToAnsiCodePage(const std::filesystem::path& path);
std::filesystem::path FromAnsiCodePage(const std::string& narrow);

}  // namespace tesk::platform
