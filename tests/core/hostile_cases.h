#pragma once
// Inputs, archives and output names that once destroyed a file, froze a run or
// aborted it, as one table: the run's tests and tesk-cli's tests each go
// through every row, in a fresh folder, under a timeout.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/run_types.h"

namespace tesk::testing {

// The address space a memory-limited row runs in, as `ulimit -v 300000` gives.
inline constexpr std::uint64_t kLimitedAddressSpace = std::uint64_t{300000} * 1024;

struct HostileCase {
  std::string name;
  std::string cliOptions;  // as tesk-cli spells `options`
  core::RunOptions options;
  // Lays the folder out and returns the file to convert.
  std::function<std::filesystem::path(const std::filesystem::path& folder)> prepare;
  // The run's message: one of these, or none when the list is empty.
  std::vector<std::string> messages;
  // Checks (with gtest assertions) what the run left in the folder.
  std::function<void(const std::filesystem::path& folder)> check;
  bool memoryLimited = false;
};

const std::vector<HostileCase>& HostileCases();

inline void PrintTo(const HostileCase& row, std::ostream* out) { *out << row.name; }

}  // namespace tesk::testing
