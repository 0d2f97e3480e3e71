#pragma once
// Runs the built tesk-cli as a user would, for the end-to-end tests.

#include <string>

#include "tests/support/temp_folder.h"

namespace tesk {

inline std::string Cli(const std::string& arguments, int* status = nullptr) {
  std::string output;
  const int exitStatus = testing::RunCommand(std::string(TESK_CLI_PATH) + " " + arguments, &output);
  if (status) *status = exitStatus;
  return output;
}

// The "figures":{...} object of a JSON report, to compare two runs' figures.
inline std::string FiguresOf(const std::string& json) {
  const std::size_t start = json.find("\"figures\":{");
  if (start == std::string::npos) return {};
  const std::size_t end = json.find('}', start);
  return end == std::string::npos ? std::string() : json.substr(start, end - start + 1);
}

}  // namespace tesk
