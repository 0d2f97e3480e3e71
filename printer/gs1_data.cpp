#include "printer/gs1_data.h"

#include <algorithm>

namespace tesk::printer {

namespace {

constexpr char kFnc1 = 0x1D;

bool Digit(char c) { return c >= '0' && c <= '9'; }

// How many digits the application identifier starting at `text` has, from its
// first two digits (GS1 General Specifications); 0 when they start none.
std::size_t IdentifierLength(std::string_view text) {
  if (text.size() < 2 || !Digit(text[0]) || !Digit(text[1])) return 0;
  const int prefix = (text[0] - '0') * 10 + (text[1] - '0');
  if (prefix <= 4 || (prefix >= 10 && prefix <= 22) || prefix == 30 || prefix == 37 || prefix >= 90) return 2;
  if ((prefix >= 23 && prefix <= 25) || (prefix >= 40 && prefix <= 42) || prefix == 71) return 3;
  if ((prefix >= 31 && prefix <= 36) || prefix == 39 || prefix == 43 || prefix == 70 || prefix == 72 ||
      (prefix >= 80 && prefix <= 82))
    return 4;
  return 0;
}

// The data length of an identifier whose length is fixed, so no FNC1 follows
// it; 0 for the variable ones.
std::size_t FixedDataLength(std::string_view identifier) {
  const int prefix = (identifier[0] - '0') * 10 + (identifier[1] - '0');
  if (prefix == 0) return 18;
  if (prefix >= 1 && prefix <= 3) return 14;
  if (prefix == 4) return 16;
  if (prefix >= 11 && prefix <= 19) return 6;
  if (prefix == 20) return 2;
  if (prefix >= 31 && prefix <= 36) return 6;
  if (prefix == 41) return 13;
  return 0;
}

// The host's characters with the escapes resolved: FNC1 as GS, a parenthesis
// meant as data as itself, and `(`/`)` delimiters marked by `delimited`.
struct Plain {
  std::string text;
  std::string delimiter;  // 1 where text[i] is an identifier's parenthesis
};

bool Resolve(std::string_view host, Plain& plain) {
  for (std::size_t at = 0; at < host.size(); ++at) {
    char c = host[at];
    char delimiter = 0;
    if (c == '{') {
      if (++at == host.size()) return false;  // an escape cut off
      c = host[at];
      if (c == '1')
        c = kFnc1;
      else if (c != '(' && c != ')' && c != '{')
        return false;  // an escape the command does not define
    } else if (c == '(' || c == ')') {
      delimiter = 1;
    } else if (c == ' ') {
      continue;  // spacing for the human-readable line only
    }
    plain.text.push_back(c);
    plain.delimiter.push_back(delimiter);
  }
  return true;
}

}  // namespace

bool Gs1ToBracketed(std::string_view host, std::string& bracketed) {
  Plain plain;
  if (!Resolve(host, plain)) return false;
  const std::string& text = plain.text;
  bracketed.clear();
  std::size_t at = 0;
  while (at < text.size() && text[at] == kFnc1) ++at;  // the FNC1 after the start character is implied
  while (at < text.size()) {
    std::string_view identifier;
    if (plain.delimiter[at] && text[at] == '(') {
      const std::size_t close = text.find(')', at + 1);
      if (close == std::string::npos || !plain.delimiter[close]) return false;
      identifier = std::string_view(text).substr(at + 1, close - at - 1);
      at = close + 1;
    } else {
      const std::size_t length = IdentifierLength(std::string_view(text).substr(at));
      if (length == 0 || at + length > text.size()) return false;  // no identifier where one must start
      identifier = std::string_view(text).substr(at, length);
      at += length;
    }
    if (identifier.size() < 2) return false;
    for (char c : identifier)
      if (!Digit(c)) return false;
    std::size_t end = at;
    const std::size_t fixed = FixedDataLength(identifier);
    if (fixed && !plain.delimiter[at - 1]) {
      end = std::min(text.size(), at + fixed);
    } else {
      while (end < text.size() && text[end] != kFnc1 && !(plain.delimiter[end] && text[end] == '(')) ++end;
    }
    bracketed += '[';
    bracketed += identifier;
    bracketed += ']';
    bracketed.append(text, at, end - at);
    at = end;
    while (at < text.size() && text[at] == kFnc1) ++at;
  }
  return !bracketed.empty();
}

}  // namespace tesk::printer
