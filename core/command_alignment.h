#pragma once
// Two command listings lined up: which commands both jobs hold, which only one
// does, and which stand in the same place with other parameters or bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/job_listing.h"

namespace tesk::core {

enum class AlignedKind : std::uint8_t { Same, Changed, OnlyInA, OnlyInB };

struct AlignedPair {
  AlignedKind kind = AlignedKind::Same;
  std::int64_t a = -1;  // index into A's commands, -1 for OnlyInB
  std::int64_t b = -1;  // index into B's commands, -1 for OnlyInA
};

struct CommandAlignment {
  std::vector<AlignedPair> pairs;  // in the order of both jobs
  std::int64_t same = 0;
  std::int64_t changed = 0;
  std::int64_t onlyInA = 0;
  std::int64_t onlyInB = 0;
  // The first pair that is not Same, if any.
  std::optional<AlignedPair> firstDifference;
};

// The most differences the alignment searches for; beyond it the rest of the
// two listings is paired in order (changed where the names agree), which keeps
// two unrelated jobs of a million commands from taking gigabytes.
inline constexpr std::int64_t kMostAlignedDifferences = 1000;

// Commands are equal when their name, parameters and every byte agree (a band
// with other dots is a changed band). Found with Myers' shortest edit script;
// a removal and an insertion of the same command name in one gap pair up as a
// change.
CommandAlignment AlignCommands(const std::vector<CommandLine>& a, std::span<const std::uint8_t> jobA,
                               const std::vector<CommandLine>& b, std::span<const std::uint8_t> jobB);

}  // namespace tesk::core
