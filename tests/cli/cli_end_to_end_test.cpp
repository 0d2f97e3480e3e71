// tesk-cli as a user runs it, on the bundled samples.

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tools/sample_job.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

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

namespace tesk {
namespace {

TEST(CliInspect, ListsTheCommandsAndWritesNothing) {
  testing::TempFolder folder;
  const auto input = folder / "receipt.prn";
  std::filesystem::copy_file(std::filesystem::path(TESK_SAMPLES_DIR) / "receipt.prn", input);
  int status = -1;
  const std::string text = Cli("--inspect " + input.string(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(text.find("         7  1d 76 30 00 48 00 18 00 ...      GS v 0    mode 0 (normal), 72 bytes "
                      "(576 dots) x 24 rows, 1728 data bytes"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("verdict: fixed layout matches all 20 bands"), std::string::npos);

  const std::string json = Cli("--inspect --json " + input.string(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find("\"matches\":true,\"verdict\":\"fixed layout matches all 20 bands\""),
            std::string::npos);
  EXPECT_NE(json.find("{\"offset\":0,\"length\":2,\"name\":\"ESC @\""), std::string::npos);

  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 1u);
}

TEST(CliInspect, LayoutCommandsOptionChangesTheRun) {
  testing::TempFolder folder;
  const auto input = folder / "job.prn";
  testing::WriteFile(input, testing::HexBytes("1b40 1d76300001000100 81 1d76300001000100 42"));
  const std::string fixed = Cli("--json " + input.string());
  // The fixed layout reads the header at 10, inside the first band: a scrambled picture.
  EXPECT_NE(fixed.find("\"widthBytes\":256"), std::string::npos) << fixed;
  const std::string commands = Cli("--json --layout commands " + input.string());
  EXPECT_NE(commands.find("\"bandCount\":2"), std::string::npos) << commands;
  EXPECT_NE(commands.find("\"bitmapHeight\":2"), std::string::npos);
}

}  // namespace
}  // namespace tesk
