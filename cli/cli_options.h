#pragma once
// The command line of tesk-cli.

#include <filesystem>
#include <string>
#include <vector>

#include "core/run_types.h"

namespace tesk::cli {

struct CliOptions {
  core::RunOptions run;
  bool json = false;
  bool inspect = false;  // print the command stream instead of converting
  bool help = false;
  bool version = false;
  std::vector<std::filesystem::path> files;
};

// Parses argv[1..]; false with `error` set on a usage error.
bool ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options,
                     std::string& error);

const char* CliUsage();

}  // namespace tesk::cli
