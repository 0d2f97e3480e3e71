#include "printer/code128_data.h"

namespace tesk::printer {

namespace {

enum class CodeSet : char { A = 'A', B = 'B', C = 'C' };

bool InSet(CodeSet set, unsigned char byte) {
  switch (set) {
    case CodeSet::A: return byte <= 0x5F;
    case CodeSet::B: return byte >= 0x20 && byte <= 0x7F;
    case CodeSet::C: return byte <= 99;
  }
  return false;
}

Code128Text Refuse(SymbolStatus status) {
  Code128Text text;
  text.status = status;
  return text;
}

}  // namespace

Code128Text ResolveCode128Sets(std::string_view host) {
  Code128Text text;
  if (host.size() < 2 || host[0] != '{' || host[1] < 'A' || host[1] > 'C')
    return Refuse(SymbolStatus::InvalidData);  // the data must open with a code set
  CodeSet set = static_cast<CodeSet>(host[1]);
  bool shifted = false;   // {S: the next character is read in the other of A and B
  bool extended = false;  // {4: the next character is one of 128..255
  bool anyCharacter = false;
  for (std::size_t at = 2; at < host.size(); ++at) {
    unsigned char byte = static_cast<unsigned char>(host[at]);
    if (byte == '{') {
      if (++at == host.size()) return Refuse(SymbolStatus::InvalidData);  // a code cut off
      const char code = host[at];
      const bool first = !anyCharacter;
      switch (code) {
        case 'A':
        case 'B':
        case 'C': set = static_cast<CodeSet>(code); continue;
        case 'S':
          if (set == CodeSet::C) return Refuse(SymbolStatus::InvalidData);  // no shift out of code set C
          shifted = true;
          continue;
        case '1':
          if (first)
            text.gs1 = true;
          else if (text.gs1)
            text.data.push_back(0x1D);
          else
            return Refuse(SymbolStatus::Unsupported);  // FNC1 inside plain CODE128
          anyCharacter = true;
          continue;
        case '3':
          if (!first) return Refuse(SymbolStatus::Unsupported);  // FNC3 only opens a symbol here
          text.readerInitialise = true;
          continue;
        case '4':
          if (set == CodeSet::C) return Refuse(SymbolStatus::InvalidData);
          extended = true;
          continue;
        case '2': return Refuse(SymbolStatus::Unsupported);  // FNC2 (message append)
        case '{': byte = '{'; break;
        default: return Refuse(SymbolStatus::InvalidData);  // a code the command does not define
      }
    }
    CodeSet readIn = set;
    if (shifted) readIn = set == CodeSet::A ? CodeSet::B : CodeSet::A;
    shifted = false;
    if (!InSet(readIn, byte)) return Refuse(SymbolStatus::InvalidCharacter);
    anyCharacter = true;
    if (readIn == CodeSet::C) {
      text.data.push_back(static_cast<char>('0' + byte / 10));
      text.data.push_back(static_cast<char>('0' + byte % 10));
      continue;
    }
    if (extended) byte = static_cast<unsigned char>(byte | 0x80);
    extended = false;
    text.data.push_back(static_cast<char>(byte));
  }
  if (text.data.empty()) return Refuse(SymbolStatus::BadLength);
  return text;
}

}  // namespace tesk::printer
