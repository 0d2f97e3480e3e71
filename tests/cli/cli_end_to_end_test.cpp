// tesk-cli as a user runs it, on the bundled samples.

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "tools/sample_job.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

std::string Cli(const std::string& arguments, int* status = nullptr) {
  std::string output;
  const int exitStatus = testing::RunCommand(std::string(TESK_CLI_PATH) + " " + arguments, &output);
  if (status) *status = exitStatus;
  return output;
}

TEST(SampleJob, GeneratorReproducesTheBundledSample) {
  const auto picture = tools::MakeReceiptPicture(72, 24 * 20);
  const auto job = tools::BuildFixedLayoutJob(picture, 24);
  EXPECT_EQ(job, testing::ReadFile(fs::path(TESK_SAMPLES_DIR) / "receipt.prn"));
}

TEST(CliEndToEnd, ConvertsTheSampleJobAsJson) {
  TempFolder folder;
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
  int status = -1;
  const std::string output = Cli("--json " + (folder / "receipt.prn").string(), &status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("\"widthBytes\":72"), std::string::npos) << output;
  EXPECT_NE(output.find("\"bandHeight\":24"), std::string::npos);
  EXPECT_NE(output.find("\"bandCount\":20"), std::string::npos);
  EXPECT_NE(output.find("\"bitmapHeight\":480"), std::string::npos);
  EXPECT_NE(output.find("\"imageReady\":true"), std::string::npos);
  EXPECT_NE(output.find("\"message\":null"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder / "receipt.bmp"));
  EXPECT_FALSE(fs::exists(folder / "receipt.dat"));
}

TEST(CliEndToEnd, TextReportUsesTheWindowsCaptions) {
  TempFolder folder;
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
  const std::string output = Cli((folder / "receipt.prn").string());
  EXPECT_NE(output.find("光栅位图模式: 正常(0)"), std::string::npos) << output;
  EXPECT_NE(output.find("水平方向位图字节数: 72"), std::string::npos);
  EXPECT_NE(output.find("BMP图片大小: " + std::to_string(72 * 480 + 62)), std::string::npos);
}

TEST(CliEndToEnd, ExitStatusTellsFailuresAndUsageErrors) {
  TempFolder folder;
  int status = -1;
  const std::string output = Cli((folder / "missing.prn").string(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("数据文件加载失败!"), std::string::npos);
  Cli("--no-such-option x", &status);
  EXPECT_EQ(status, 2);
  Cli("--help", &status);
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace tesk
