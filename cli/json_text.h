#pragma once

#include <string>

namespace tesk::cli {

// A JSON string literal of `text` (UTF-8 passes through; control characters are escaped).
std::string JsonString(const std::string& text);

}  // namespace tesk::cli
