// The run's progress hook: what it is told, and what stopping at each stage
// leaves on disk.

#include "core/run_progress.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/core/job_builder.h"
#include "tests/core/run_fixture.h"
#include "tools/capture_text.h"

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

// A file of a few read steps: the hook sees its bytes come in before the first
// stage is done.
TEST_F(ProgressHook, ToldTheBytesReadWhileTheFileLoads) {
  const fs::path input = folder / "job.prn";
  testing::Bytes job = testing::FixedLayoutJob(3, 2, 2);
  job.resize(std::size_t{1} << 20, 0x0A);  // line feeds after the bands
  testing::WriteFile(input, job);
  std::vector<std::uint64_t> loading;
  bool stageSeen = false;
  RunOptions options;
  options.progress = [&](const RunProgress& progress) {
    if (progress.stagesDone == 0) {
      EXPECT_FALSE(stageSeen) << "loading told after a stage";
      EXPECT_EQ(progress.bytesToLoad, job.size());
      loading.push_back(progress.bytesLoaded);
    } else {
      stageSeen = true;
    }
    return true;
  };
  EXPECT_FALSE(Run(input, options).has_value());
  ASSERT_GE(loading.size(), 2u);
  EXPECT_TRUE(std::is_sorted(loading.begin(), loading.end()));
  EXPECT_LT(loading.front(), job.size());
  EXPECT_EQ(loading.back(), job.size());
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
}

struct LoadStopCase {
  const char* name;
  const char* file;
  bool whileDecoding;  // stop once the decoding is told, not the reading
  CaptureReading reading;
};

void PrintTo(const LoadStopCase& stop, std::ostream* out) { *out << stop.name; }

class StopWhileLoading : public RunFixture, public ::testing::WithParamInterface<LoadStopCase> {};

// Stopped in the middle of the load, the run gives its cancel message and
// writes nothing at all.
TEST_P(StopWhileLoading, WritesNothing) {
  const LoadStopCase& stop = GetParam();
  const testing::Bytes job = testing::FixedLayoutJob(72, 24, 200);  // about 350 KB
  const fs::path input = folder / stop.file;
  if (input.extension() == ".txt") {
    tools::CaptureTransfer transfer;
    transfer.phase = "OUT";
    transfer.bytes = job;
    const std::vector<tools::CaptureTransfer> transfers = {transfer};
    testing::WriteFile(input, tools::MakeCaptureText(tools::CaptureLayout{}, transfers));
  } else {
    testing::WriteFile(input, job);
  }
  ASSERT_GT(fs::file_size(input), platform::ProgressSteps::kStep);
  bool told = false;
  RunOptions options;
  options.captureReading = stop.reading;
  options.progress = [&](const RunProgress& progress) {
    EXPECT_EQ(progress.stagesDone, 0) << "the load went on after it was stopped";
    const bool decoding = progress.bytesDecoded > 0;
    told = told || decoding == stop.whileDecoding;
    return decoding != stop.whileDecoding;
  };
  const auto message = Run(input, options);
  EXPECT_TRUE(told);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::Cancelled);
  EXPECT_EQ(message->text, "转换已取消");
  EXPECT_FALSE(figures.dataLength.has_value());
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder.path())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{stop.file});
  // The loader record is ready for the next run, which goes through.
  options.progress = nullptr;
  EXPECT_FALSE(Run(input, options).has_value());
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, StopWhileLoading,
    ::testing::Values(LoadStopCase{"RawJobWhileReading", "job.prn", false, CaptureReading::Default},
                      LoadStopCase{"CaptureWhileReading", "job.txt", false, CaptureReading::Default},
                      LoadStopCase{"CaptureWhileDecoding", "job.txt", true, CaptureReading::Default},
                      LoadStopCase{"WholeCaptureWhileDecoding", "job.txt", true, CaptureReading::Whole}),
    [](const auto& info) { return std::string(info.param.name); });

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
