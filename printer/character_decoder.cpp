#include "printer/character_decoder.h"

#include <algorithm>

#include "platform/character_sets.h"

namespace tesk::printer {
namespace {

// The twelve ASCII positions the international sets replace, and what each
// set puts there (sets 0 to 15).
constexpr std::array<std::uint8_t, 12> kReplacedBytes = {0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D,
                                                         0x5E, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};
constexpr std::array<std::array<char32_t, 12>, 16> kInternationalSets = {{
    {U'#', U'$', U'@', U'[', U'\\', U']', U'^', U'`', U'{', U'|', U'}', U'~'},  // USA
    {U'#', U'$', U'à', U'°', U'ç', U'§', U'^', U'`', U'é', U'ù', U'è', U'¨'},   // France
    {U'#', U'$', U'§', U'Ä', U'Ö', U'Ü', U'^', U'`', U'ä', U'ö', U'ü', U'ß'},   // Germany
    {U'£', U'$', U'@', U'[', U'\\', U']', U'^', U'`', U'{', U'|', U'}', U'~'},  // United Kingdom
    {U'#', U'$', U'@', U'Æ', U'Ø', U'Å', U'^', U'`', U'æ', U'ø', U'å', U'~'},   // Denmark I
    {U'#', U'¤', U'É', U'Ä', U'Ö', U'Å', U'Ü', U'é', U'ä', U'ö', U'å', U'ü'},   // Sweden
    {U'#', U'$', U'@', U'°', U'\\', U'é', U'^', U'ù', U'à', U'ò', U'è', U'ì'},  // Italy
    {U'₧', U'$', U'@', U'¡', U'Ñ', U'¿', U'^', U'`', U'¨', U'ñ', U'}', U'~'},   // Spain I
    {U'#', U'$', U'@', U'[', U'¥', U']', U'^', U'`', U'{', U'|', U'}', U'~'},   // Japan
    {U'#', U'¤', U'É', U'Æ', U'Ø', U'Å', U'Ü', U'é', U'æ', U'ø', U'å', U'ü'},   // Norway
    {U'#', U'$', U'É', U'Æ', U'Ø', U'Å', U'Ü', U'é', U'æ', U'ø', U'å', U'ü'},   // Denmark II
    {U'#', U'$', U'á', U'¡', U'Ñ', U'¿', U'é', U'`', U'í', U'ñ', U'ó', U'ú'},   // Spain II
    {U'#', U'$', U'á', U'¡', U'Ñ', U'¿', U'é', U'ü', U'í', U'ñ', U'ó', U'ú'},   // Latin America
    {U'#', U'$', U'@', U'[', U'₩', U']', U'^', U'`', U'{', U'|', U'}', U'~'},   // Korea
    {U'#', U'$', U'Ž', U'Š', U'Đ', U'Ć', U'Č', U'ž', U'š', U'đ', U'ć', U'č'},   // Slovenia / Croatia
    {U'#', U'¥', U'@', U'[', U'\\', U']', U'^', U'`', U'{', U'|', U'}', U'~'},  // China
}};

bool IsLeadByte(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace

char32_t InternationalCharacter(int set, std::uint8_t byte) {
  if (set < 0 || set >= static_cast<int>(kInternationalSets.size())) return byte;
  const auto found = std::find(kReplacedBytes.begin(), kReplacedBytes.end(), byte);
  if (found == kReplacedBytes.end()) return byte;
  return kInternationalSets[static_cast<std::size_t>(set)]
                           [static_cast<std::size_t>(found - kReplacedBytes.begin())];
}

const CharacterDecoder::Table* CharacterDecoder::CodePage(int number) {
  if (const auto found = pages_.find(number); found != pages_.end()) return &found->second;
  const auto listed = profile_.codePages.find(number);
  if (listed == profile_.codePages.end()) return nullptr;
  Table table{};
  for (std::size_t byte = 0; byte < 0x80; ++byte) table[byte] = static_cast<char32_t>(byte);
  if (listed->second == "KATAKANA") {
    // JIS X 0201 katakana at A1 to DF, as half-width forms.
    for (std::size_t byte = 0x80; byte < 0x100; ++byte)
      table[byte] = byte >= 0xA1 && byte <= 0xDF ? static_cast<char32_t>(0xFF61 + byte - 0xA1) : kNoCharacter;
  } else {
    for (std::size_t byte = 0x80; byte < 0x100; ++byte) {
      const unsigned char value = static_cast<unsigned char>(byte);
      char32_t codePoint = kNoCharacter;
      const auto result = platform::DecodeOneCharacter(listed->second, {&value, 1}, codePoint);
      if (result == platform::DecodeResult::UnknownCharacterSet) return nullptr;
      table[byte] = result == platform::DecodeResult::Decoded ? codePoint : kNoCharacter;
    }
  }
  return &pages_.emplace(number, table).first->second;
}

bool CharacterDecoder::HasCodePage(int number) { return CodePage(number) != nullptr; }

KanjiCodes CharacterDecoder::EffectiveCodes(KanjiCodes chosen) const {
  return profile_.multibyte.encoding == "SHIFT_JIS" ? chosen : KanjiCodes::Profile;
}

std::uint8_t CharacterDecoder::MultibyteLength(std::span<const std::uint8_t> rest, KanjiCodes codes) const {
  const std::string& encoding = profile_.multibyte.encoding;
  const std::uint8_t lead = rest[0];
  if (codes == KanjiCodes::Jis) return lead >= 0x21 && lead <= 0x7E ? 2 : 1;
  if (encoding == "SHIFT_JIS")
    return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
  if (!IsLeadByte(lead)) return 1;
  if (encoding == "GB18030" && rest.size() > 1 && rest[1] >= 0x30 && rest[1] <= 0x39) return 4;
  return 2;
}

char32_t CharacterDecoder::Multibyte(std::span<const std::uint8_t> bytes, KanjiCodes codes) {
  auto key = std::make_pair(codes, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  if (const auto found = multibyte_.find(key); found != multibyte_.end()) return found->second;
  std::string encoding = profile_.multibyte.encoding;
  std::vector<std::uint8_t> converted = key.second;
  if (codes == KanjiCodes::Jis) {
    // A JIS row and cell are the EUC-JP bytes without their high bits.
    encoding = "EUC-JP";
    for (std::uint8_t& byte : converted) byte = static_cast<std::uint8_t>(byte | 0x80);
    if (converted.size() != 2 || (converted[1] & 0x7F) < 0x21 || (converted[1] & 0x7F) > 0x7E)
      converted.clear();
  } else if (codes == KanjiCodes::ShiftJis2004) {
    encoding = "SHIFT_JISX0213";
  }
  char32_t codePoint = kNoCharacter;
  if (converted.empty() ||
      platform::DecodeOneCharacter(encoding, converted, codePoint) != platform::DecodeResult::Decoded)
    codePoint = kNoCharacter;
  // A job of endless distinct garbage must not grow the memo without end.
  if (multibyte_.size() > 65536) multibyte_.clear();
  multibyte_.emplace(std::move(key), codePoint);
  return codePoint;
}

void CharacterDecoder::Decode(std::span<const std::uint8_t> bytes, const CharacterSettings& settings,
                              std::vector<DecodedCharacter>& characters) {
  characters.clear();
  const Table* page = CodePage(settings.codePage);
  if (!page) page = CodePage(0);
  const KanjiCodes codes = EffectiveCodes(settings.kanjiCodes);
  for (std::size_t at = 0; at < bytes.size();) {
    DecodedCharacter character;
    character.offset = static_cast<std::uint32_t>(at);
    const std::uint8_t byte = bytes[at];
    const std::uint8_t length = settings.multibyte ? MultibyteLength(bytes.subspan(at), codes) : 1;
    if (length > 1) {
      character.multibyte = true;
      character.length = static_cast<std::uint8_t>(std::min<std::size_t>(length, bytes.size() - at));
      character.codePoint =
          character.length == length ? Multibyte(bytes.subspan(at, length), codes) : kNoCharacter;
    } else if (byte < 0x80) {
      character.codePoint = InternationalCharacter(settings.internationalSet, byte);
    } else {
      character.codePoint = page ? (*page)[byte] : kNoCharacter;
    }
    characters.push_back(character);
    at += character.length;
  }
}

}  // namespace tesk::printer
