// tesk-cli on the bundled capture text of the sample job.

#include <gtest/gtest.h>

#include <string>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tools/sample_capture.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;

const fs::path kSampleJob = fs::path(TESK_SAMPLES_DIR) / "receipt.prn";
const fs::path kSampleCapture = fs::path(TESK_SAMPLES_DIR) / "receipt.txt";

std::string CliJson(const fs::path& input, int* status) {
  std::string output;
  *status = testing::RunCommand(std::string(TESK_CLI_PATH) + " --json --keep all " + input.string(), &output);
  return output;
}

TEST(SampleCapture, GeneratorReproducesTheBundledCapture) {
  const auto job = ReadFile(kSampleJob);
  const std::string text = tools::MakeSampleCaptureText(job);
  EXPECT_EQ(testing::Bytes(text.begin(), text.end()), ReadFile(kSampleCapture));
}

TEST(CaptureEndToEnd, CaptureGivesTheRawJobAndItsFigures) {
  TempFolder rawFolder;
  TempFolder captureFolder;
  fs::copy_file(kSampleJob, rawFolder / "receipt.prn");
  fs::copy_file(kSampleCapture, captureFolder / "receipt.txt");
  int rawStatus = -1;
  int captureStatus = -1;
  const std::string raw = CliJson(rawFolder / "receipt.prn", &rawStatus);
  const std::string capture = CliJson(captureFolder / "receipt.txt", &captureStatus);
  ASSERT_EQ(rawStatus, 0) << raw;
  ASSERT_EQ(captureStatus, 0) << capture;

  EXPECT_EQ(ReadFile(captureFolder / "receipt.bin"), ReadFile(kSampleJob));
  EXPECT_NE(FiguresOf(raw).find("\"widthBytes\":72"), std::string::npos) << raw;
  EXPECT_EQ(FiguresOf(capture), FiguresOf(raw));
  for (const char* output : {"receipt.dat", "receipt.bmp", "receipt.png"}) {
    ASSERT_EQ(fs::exists(captureFolder / output), fs::exists(rawFolder / output)) << output;
    if (fs::exists(rawFolder / output)) {
      EXPECT_EQ(ReadFile(captureFolder / output), ReadFile(rawFolder / output)) << output;
    }
  }
}

TEST(CaptureEndToEnd, TimeColumnAfterTheOffsetsGivesTheRawJob) {
  using enum tools::DumpColumn;
  tools::CaptureLayout layout;
  layout.columns = {Device, Phase, Data, Description, Command, Delta, Time};
  layout.timingOnEveryLine = true;
  TempFolder folder;
  testing::WriteFile(folder / "receipt.txt", tools::MakeSampleCaptureText(ReadFile(kSampleJob), layout));
  int status = -1;
  const std::string output = CliJson(folder / "receipt.txt", &status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_TRUE(ReadFile(folder / "receipt.bin") == ReadFile(kSampleJob));
}

TEST(CaptureEndToEnd, CaptureNamedLikeItsOwnBinaryIsLeftAlone) {
  // The loaded file is held, so the Plain Binary cannot replace it.
  TempFolder folder;
  fs::copy_file(kSampleCapture, folder / "log.bin");
  int status = -1;
  const std::string output = CliJson(folder / "log.bin", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("保存Plain Binary文件失败!"), std::string::npos) << output;
  EXPECT_EQ(ReadFile(folder / "log.bin"), ReadFile(kSampleCapture));
}

}  // namespace
}  // namespace tesk
