// Every hostile row through tesk-cli, as a user would run it, killed after a
// timeout so that a hang fails the row.

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/core/hostile_cases.h"
#include "tests/support/child_process.h"
#include "tests/zip/archive_tools.h"

namespace tesk {
namespace {

using testing::HostileCase;

class HostileCli : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileCli, EndsWithItsMessageAndLeavesTheFolderSound) {
  const HostileCase& row = GetParam();
  if (row.memoryLimited && testing::kBuiltWithAddressSpaceSanitizer)
    GTEST_SKIP() << "the sanitizer needs more address space than the limit allows";
  testing::TempFolder folder;
  const std::filesystem::path input = row.prepare(folder.path());

  std::string command = "timeout -s KILL 60 " + std::string(TESK_CLI_PATH) + " " + row.cliOptions + " " +
                        testing::Quoted(input);
  if (row.memoryLimited)
    command = "ulimit -v " + std::to_string(testing::kLimitedAddressSpace / 1024) + "; " + command;
  std::string output;
  const int status = testing::RunCommand(command, &output);
  // timeout exits with 137 after a hang; an abort gives 134.
  ASSERT_TRUE(status == 0 || status == 1) << "tesk-cli exited with " << status << ":\n" << output;
  if (row.messages.empty()) {
    EXPECT_EQ(status, 0) << output;
  } else {
    EXPECT_EQ(status, 1) << output;
    bool found = false;
    for (const std::string& message : row.messages)
      found = found || output.find(message) != std::string::npos;
    EXPECT_TRUE(found) << output;
  }
  row.check(folder.path());
}

INSTANTIATE_TEST_SUITE_P(Table, HostileCli, ::testing::ValuesIn(testing::HostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tesk
