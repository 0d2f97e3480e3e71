#pragma once
// What the paper needs to know about one printer model: its width, its units,
// its fonts and the firmware habits that change where dots land. Profiles are
// JSON files; the ones in profiles/ are built in and found by name.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "printer/status_answers.h"

namespace tesk::printer {

// Firmware habits that differ between printers of the same command set. Each
// is a named switch so that a job can be drawn both ways.
struct Quirks {
  bool lineFeedAfterRasterSwallowed = false;  // an LF right after GS v 0 does not feed
  bool feedDotsIgnored = false;               // ESC J does nothing
  bool rasterHeightLowByteOnly = false;       // GS v 0 reads yL only; yH and the rest are data
  bool carriageReturnFeeds = false;           // CR acts as LF instead of being ignored
  std::int64_t maxRasterHeight = 0;           // rows of one GS v 0 printed at most; 0: no limit
};

struct FontCell {
  std::string name;
  int width = 12;
  int height = 24;
};

// Two-byte (and GB18030 four-byte) characters: FS & turns them on.
struct MultibyteSettings {
  std::string encoding = "GB18030";  // as the C library names it: GB18030, BIG5, SHIFT_JIS
  bool onAfterInitialise = false;    // as Chinese printers start
  FontCell cell = {"multibyte", 24, 24};
};

// ESC t n: the character sets the printer has under each n, by the C
// library's names; "KATAKANA" is the printer's own half-width page.
inline std::map<int, std::string> StandardCodePages() {
  return {{0, "CP437"}, {1, "KATAKANA"}, {2, "CP850"},  {3, "CP860"},  {4, "CP863"},
          {5, "CP865"}, {16, "CP1252"},  {17, "CP866"}, {18, "CP852"}, {19, "CP858"}};
}

struct Profile {
  std::string name;
  std::string description;
  int dpi = 203;
  int printableWidth = 576;        // dots
  int defaultLineSpacing = 30;     // dots
  int horizontalMotionUnit = 203;  // GS P defaults: units per inch
  int verticalMotionUnit = 203;
  int columnImageVerticalPitch = 3;  // dots per bit of the 8-dot ESC * modes
  int pageLength = 1662;             // page mode: dots of the page buffer down the paper
  std::vector<FontCell> fonts = {{"A", 12, 24}, {"B", 9, 17}};
  std::map<int, std::string> codePages = StandardCodePages();
  MultibyteSettings multibyte;
  Quirks quirks;
  StatusAnswers answers;  // "status" and "identity": what a host that asks is told
};

enum class ProfileResult : std::uint8_t {
  Loaded,
  NotFound,  // neither a built-in name nor a readable file
  NotJson,   // the file is not JSON
  BadValue,  // a value has the wrong type or lies outside its range
};

// `nameOrPath` is a built-in profile's name ("80mm-203dpi") or a JSON file.
// On failure `message` says what was wrong and `profile` is left alone.
ProfileResult LoadProfile(std::string_view nameOrPath, Profile& profile, std::string& message);
// The same for JSON text already in memory.
ProfileResult ParseProfile(std::string_view json, Profile& profile, std::string& message);

// The built-in profiles' names, the default first.
std::vector<std::string> BuiltInProfileNames();
inline constexpr std::string_view kDefaultProfileName = "80mm-203dpi";
// The built-in default printer; built-in profiles always parse.
Profile DefaultProfile();

}  // namespace tesk::printer
