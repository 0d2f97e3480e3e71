#include "cli/json_text.h"

namespace tesk::cli {

bool IsValidUtf8(std::string_view text) {
  std::size_t index = 0;
  while (index < text.size()) {
    const auto lead = static_cast<unsigned char>(text[index]);
    std::size_t length = 0;
    unsigned lowest = 0;  // the smallest code point of that length: shorter forms are overlong
    unsigned codePoint = 0;
    if (lead < 0x80) {
      ++index;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, lowest = 0x80, codePoint = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, lowest = 0x800, codePoint = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, lowest = 0x10000, codePoint = lead & 0x07u;
    } else {
      return false;  // a continuation byte or 0xF8..0xFF cannot start a character
    }
    if (text.size() - index < length) return false;
    for (std::size_t next = 1; next < length; ++next) {
      const auto byte = static_cast<unsigned char>(text[index + next]);
      if ((byte & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    index += length;
  }
  return true;
}

std::string HexOfBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

void PutPath(Json& object, const std::string& key, const std::filesystem::path& path) {
  const std::string& bytes = path.native();
  object[key] = bytes;
  if (!IsValidUtf8(bytes)) object[key + "Hex"] = HexOfBytes(bytes);
}

void PutPaths(Json& object, const std::string& key, const std::vector<std::filesystem::path>& paths) {
  Json texts = Json::array();
  Json hexes = Json::array();
  bool allUtf8 = true;
  for (const std::filesystem::path& path : paths) {
    texts.push_back(path.native());
    hexes.push_back(HexOfBytes(path.native()));
    allUtf8 = allUtf8 && IsValidUtf8(path.native());
  }
  object[key] = std::move(texts);
  if (!allUtf8) object[key + "Hex"] = std::move(hexes);
}

std::string DumpJson(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace tesk::cli
