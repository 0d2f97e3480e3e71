// The run's progress hook: what it is told, and what stopping at each stage
// leaves on disk.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/run_progress.h"
#include "tests/core/job_builder.h"
#include "tests/core/run_fixture.h"

namespace tesk::core {
namespace {

namespace fs = std::filesystem;
using ProgressHook = RunFixture;

TEST_F(ProgressHook, ToldEveryStageInOrderWithTheLoadedSize) {
  const fs::path input = folder / "job.prn";
  const testing::Bytes job = testing::FixedLayoutJob(3, 2, 2);
  testing::WriteFile(input, job);
  std::vector<int> stages;
  RunOptions options;
  options.progress = [&](const RunProgress& progress) {
    stages.push_back(progress.stagesDone);
    EXPECT_EQ(progress.stageCount, kReportedRunStages);
    EXPECT_EQ(progress.bytesLoaded, job.size());
    return true;
  };
  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_EQ(stages, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

class StopAfterStage : public RunFixture, public ::testing::WithParamInterface<int> {};

// Whenever it stops, the run leaves none of its outputs, and nothing that was
// there before it is touched.
TEST_P(StopAfterStage, LeavesOnlyWhatWasThereBefore) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, testing::FixedLayoutJob(3, 2, 2));
  testing::WriteFile(folder / "job.dat", std::string_view("from an earlier run"));
  RunOptions options;
  options.keepPureData = true;  // would replace job.dat if the run got that far
  const int stopAfter = GetParam();
  options.progress = [&](const RunProgress& progress) { return progress.stagesDone < stopAfter; };

  const auto message = Run(input, options);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::Cancelled);
  EXPECT_FALSE(figures.imageReady);
  EXPECT_TRUE(figures.keptOutputs.empty());
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder.path())) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  const bool datReplaced = stopAfter >= 4;
  // A Pure Data file the run replaced is its own output by then, and goes.
  const std::vector<std::string> expected =
      datReplaced ? std::vector<std::string>{"job.prn"} : std::vector<std::string>{"job.dat", "job.prn"};
  EXPECT_EQ(left, expected);
}

INSTANTIATE_TEST_SUITE_P(EachStage, StopAfterStage, ::testing::Range(1, kReportedRunStages),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "after_stage_" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace tesk::core
