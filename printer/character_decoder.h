#pragma once
// The characters a run of text bytes stands for, under the printer's current
// code page, international character set and multibyte mode.

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "printer/profile.h"

namespace tesk::printer {

inline constexpr char32_t kNoCharacter = 0xFFFD;

struct DecodedCharacter {
  char32_t codePoint = kNoCharacter;  // kNoCharacter when the bytes stand for none
  std::uint32_t offset = 0;           // of its first byte in the run
  std::uint8_t length = 1;            // bytes
  bool multibyte = false;             // drawn in the multibyte cell
};

// FS C on a printer whose multibyte characters are Japanese. Chinese and
// Korean printers read their own encoding whatever it says.
enum class KanjiCodes : std::uint8_t {
  Profile,  // as the profile's encoding says, until FS C
  Jis,      // two bytes 21..7E each
  ShiftJis,
  ShiftJis2004,
};

struct CharacterSettings {
  int codePage = 0;          // ESC t
  int internationalSet = 0;  // ESC R
  bool multibyte = false;    // FS & / FS .
  KanjiCodes kanjiCodes = KanjiCodes::Profile;
};

class CharacterDecoder {
 public:
  explicit CharacterDecoder(const Profile& profile) : profile_(profile) {}

  // False when the profile lists no such page or the C library cannot read it.
  bool HasCodePage(int number);
  void Decode(std::span<const std::uint8_t> bytes, const CharacterSettings& settings,
              std::vector<DecodedCharacter>& characters);

 private:
  using Table = std::array<char32_t, 256>;
  const Table* CodePage(int number);
  char32_t Multibyte(std::span<const std::uint8_t> bytes, KanjiCodes codes);
  std::uint8_t MultibyteLength(std::span<const std::uint8_t> rest, KanjiCodes codes) const;
  // The profile's encoding, or the one FS C chose on a Japanese printer.
  KanjiCodes EffectiveCodes(KanjiCodes chosen) const;

  const Profile& profile_;
  std::map<int, Table> pages_;  // filled when first used
  std::map<std::pair<KanjiCodes, std::vector<std::uint8_t>>, char32_t> multibyte_;
};

// The character ESC R set `set` puts at ASCII `byte`, or `byte` itself.
char32_t InternationalCharacter(int set, std::uint8_t byte);

}  // namespace tesk::printer
