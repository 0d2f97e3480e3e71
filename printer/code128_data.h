#pragma once
// CODE128 data as GS k sends it: every byte read in the code set the host
// selected with "{A", "{B" or "{C", turned into the characters it stands for.
// The library then picks its own code sets for those characters, so the bars
// may differ from the printer's where the host's choice was not the shortest;
// the data they scan to does not.

#include <string>
#include <string_view>

#include "printer/symbol_bitmap.h"

namespace tesk::printer {

struct Code128Text {
  SymbolStatus status = SymbolStatus::Drawn;
  std::string data;               // the characters, FNC1 between GS1 fields as a GS byte
  bool gs1 = false;               // FNC1 came first: a GS1-128 symbol
  bool readerInitialise = false;  // FNC3 came first
};

Code128Text ResolveCode128Sets(std::string_view host);

}  // namespace tesk::printer
