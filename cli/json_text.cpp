#include "cli/json_text.h"

#include <cstdio>

namespace tesk::cli {

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    switch (character) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          quoted += escaped;
        } else {
          quoted += character;
        }
    }
  }
  return quoted + "\"";
}

}  // namespace tesk::cli
