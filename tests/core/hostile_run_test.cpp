// Every hostile row through the run itself, in a child process under a
// timeout: a hang or an abort fails the row instead of the whole test program.

#include <gtest/gtest.h>

#include <cstdio>

#include "core/conversion_run.h"
#include "tests/core/hostile_cases.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace tesk::core {
namespace {

using testing::HostileCase;

class HostileRun : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileRun, EndsWithItsMessageAndLeavesTheFolderSound) {
  const HostileCase& row = GetParam();
  if (row.memoryLimited && testing::kBuiltWithAddressSpaceSanitizer)
    GTEST_SKIP() << "the sanitizer needs more address space than the limit allows";
  testing::TempFolder folder;
  const std::filesystem::path input = row.prepare(folder.path());

  const testing::ChildOutcome outcome = testing::RunInChild(
      [&] {
        RasterSource source;
        image::DibImage image;
        RunFigures figures;
        const std::optional<RunMessage> message = RunConversion(input, row.options, figures, source, image);
        const std::string text = message ? message->text : "";
        std::fprintf(stderr, "message: \"%s\"\n", text.c_str());
        if (row.messages.empty()) return message ? 1 : 0;
        for (const std::string& expected : row.messages)
          if (text == expected) return 0;
        return 1;
      },
      60, row.memoryLimited ? testing::kLimitedAddressSpace : 0);
  ASSERT_TRUE(outcome.exited) << outcome.Describe();
  EXPECT_EQ(outcome.status, 0) << "the run ended with another message than expected";
  row.check(folder.path());
}

INSTANTIATE_TEST_SUITE_P(Table, HostileRun, ::testing::ValuesIn(testing::HostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tesk::core
