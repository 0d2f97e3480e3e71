#include "zip/entry_name.h"

#include <array>
#include <vector>

namespace tesk::zip {
namespace {

constexpr std::array<std::string_view, 4> kClimbingPatterns = {"\\..\\", "\\../", "/../", "/..\\"};

bool IsSeparator(char character) { return character == '\\' || character == '/'; }

// Every place a pattern occurs in the name, first to last. The cleaning only
// ever drops a prefix, so "the first occurrence in what is left" is the first
// of these at or after the current start, and each list is walked once.
std::vector<std::size_t> Occurrences(std::string_view name, std::string_view pattern) {
  std::vector<std::size_t> positions;
  for (std::size_t found = name.find(pattern); found != std::string_view::npos;
       found = name.find(pattern, found + 1))
    positions.push_back(found);
  return positions;
}

}  // namespace

std::string CleanEntryName(std::string_view rawName) {
  std::array<std::vector<std::size_t>, kClimbingPatterns.size()> occurrences;
  std::array<std::size_t, kClimbingPatterns.size()> next{};
  for (std::size_t pattern = 0; pattern < kClimbingPatterns.size(); ++pattern)
    occurrences[pattern] = Occurrences(rawName, kClimbingPatterns[pattern]);

  std::size_t start = 0;
  for (;;) {
    const std::string_view rest = rawName.substr(start);
    if (rest.size() >= 2 && rest[1] == ':') {
      start += 2;
      continue;
    }
    if (!rest.empty() && IsSeparator(rest[0])) {
      start += 1;
      continue;
    }
    bool dropped = false;
    for (std::size_t pattern = 0; pattern < kClimbingPatterns.size() && !dropped; ++pattern) {
      auto& list = occurrences[pattern];
      while (next[pattern] < list.size() && list[next[pattern]] < start) ++next[pattern];
      if (next[pattern] < list.size()) {
        start = list[next[pattern]] + kClimbingPatterns[pattern].size();
        dropped = true;
      }
    }
    if (!dropped) break;
  }

  std::string cleaned(rawName.substr(start));
  for (char& character : cleaned)
    if (character == '\\') character = '/';
  return cleaned;
}

bool IsSafeEntryName(std::string_view cleanedName) {
  if (cleanedName.empty() || cleanedName.size() >= kEntryNameLimit) return false;
  if (cleanedName.find('\0') != std::string_view::npos) return false;
  if (cleanedName.front() == '/') return false;
  std::size_t segmentStart = 0;
  while (segmentStart <= cleanedName.size()) {
    std::size_t segmentEnd = cleanedName.find_first_of("/\\", segmentStart);
    if (segmentEnd == std::string_view::npos) segmentEnd = cleanedName.size();
    if (cleanedName.substr(segmentStart, segmentEnd - segmentStart) == "..") return false;
    segmentStart = segmentEnd + 1;
  }
  return true;
}

}  // namespace tesk::zip
