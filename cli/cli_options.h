#pragma once
// The command line of tesk-cli. Every option is declared once, in DeclareOptions
// (cli_options.cpp); the parser and --help both come from that table, and
// CliOptions holds what was read.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/run_types.h"
#include "live/host_port.h"
#include "printer/profile.h"

namespace tesk::cli {

struct CliOptions {
  core::RunOptions run;
  bool json = false;
  bool inspect = false;  // print the command stream instead of converting
  bool help = false;
  bool version = false;
  bool renderPaper = false;  // --render paper: run.paperProfile holds the printer
  bool lint = false;         // list where the job depends on the printer's habits
  bool diff = false;         // compare the two files
  printer::Profile profile;  // --profile, loaded for --render paper and --lint
  std::vector<std::filesystem::path> files;

  // --listen: serve as a network printer instead of reading files.
  std::optional<live::HostPort> listen;
  std::filesystem::path outFolder;  // --out: where received jobs are saved
  int idleMilliseconds = 2000;      // --idle
  std::optional<live::HostPort> forward;
};

// Parses argv[1..]; false with `error` set on a usage error.
bool ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options, std::string& error);

// The --help text, generated from the option table.
std::string CliUsage();

}  // namespace tesk::cli
