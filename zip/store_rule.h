#pragma once
// Which entries the writer stores instead of deflating.

#include <string_view>

namespace tesk::zip {

// True when the name ends in the suffix of an already compressed format
// (".zip", ".gz", ...): deflating those again costs time and gains nothing.
// The suffix is everything from the name's last ".", compared without regard
// to the case of ASCII letters, so "a.zip.bak" is deflated and ".gz" stored.
bool IsStoredByName(std::string_view entryName);

}  // namespace tesk::zip
