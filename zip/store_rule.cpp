#include "zip/store_rule.h"

#include <array>

namespace tesk::zip {
namespace {

constexpr std::array<std::string_view, 8> kCompressedSuffixes = {".Z",   ".zip", ".zoo", ".arc",
                                                                 ".lzh", ".arj", ".gz",  ".tgz"};

char LowerAscii(char character) {
  return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

bool EqualIgnoringAsciiCase(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (std::size_t index = 0; index < left.size(); ++index)
    if (LowerAscii(left[index]) != LowerAscii(right[index])) return false;
  return true;
}

}  // namespace

bool IsStoredByName(std::string_view entryName) {
  const std::size_t dot = entryName.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view suffix = entryName.substr(dot);
  for (const std::string_view compressed : kCompressedSuffixes)
    if (EqualIgnoringAsciiCase(suffix, compressed)) return true;
  return false;
}

}  // namespace tesk::zip
