#pragma once
// GS1 element strings as a host writes them for the printer, turned into the
// bracketed form the encoding library reads ("[01]09501101530003[10]AB12").

#include <string>
#include <string_view>

namespace tesk::printer {

// `host` holds application identifiers either in parentheses, which the printer
// prints in the human-readable line but does not encode ("(01)0950..."), or
// bare, one after the other ("010950...10AB12"); "{1" or a GS byte is FNC1,
// which ends a field of variable length; "{(" and "{)" are parentheses in the
// data. Returns false when no application identifier can be read.
bool Gs1ToBracketed(std::string_view host, std::string& bracketed);

}  // namespace tesk::printer
