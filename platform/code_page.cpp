#include "platform/code_page.h"

namespace tesk::platform {

std::string ToAnsiCodePage(const std::filesystem::path& path) { return path.native(); }

std::filesystem::path FromAnsiCodePage(const std::string& narrow) { return std::filesystem::path(narrow); }

}  // namespace tesk::platform
