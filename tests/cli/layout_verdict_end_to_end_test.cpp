// tesk-cli says when the fixed band layout draws a wrong picture, reads jobs
// that do not begin with ESC @ in the command reading, and never reports an
// empty picture as success.

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/driver_job.h"
#include "tests/support/temp_folder.h"
#include "tests/zip/archive_tools.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::TempFolder;

struct Streams {
  std::string out;
  std::string err;
  int status = -1;
};

// stdout and stderr apart: the warning must be on stderr and nowhere else.
Streams CliApart(const TempFolder& folder, const std::string& arguments) {
  const fs::path errors = folder / "stderr.txt";
  Streams streams;
  streams.status = testing::RunCommand("{ " + std::string(TESK_CLI_PATH) + " " + arguments + " 2>" +
                                           Quoted(errors) + "; }",
                                       &streams.out);
  streams.err = std::string(reinterpret_cast<const char*>(testing::ReadFile(errors).data()),
                            testing::ReadFile(errors).size());
  fs::remove(errors);
  return streams;
}

// Python's json reads the report; prints the verdict's fields.
std::string VerdictFields(const TempFolder& folder, const std::string& json) {
  const fs::path file = folder / "report.json";
  testing::WriteFile(file, std::string_view(json));
  std::string printed;
  testing::RunCommand(
      "python3 -c 'import json,sys; v=json.load(open(sys.argv[1]))[\"layoutVerdict\"]; "
      "m=v[\"firstMismatch\"]; print(v[\"fits\"], v[\"commandBands\"], m and m[\"band\"], "
      "m and m[\"reason\"])' " +
          Quoted(file),
      &printed);
  fs::remove(file);
  return printed;
}

TEST(LayoutVerdictCli, DriverJobWarnsOnStderrAfterItsFigures) {
  TempFolder folder;
  const fs::path input = testing::WriteDriverJob(folder / "driver.prn", 10);
  const Streams text = CliApart(folder, Quoted(input));
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("垂直方向位图点数: 24"), std::string::npos) << text.out;
  EXPECT_EQ(text.out.find("warning"), std::string::npos);
  EXPECT_EQ(text.err,
            "warning: the fixed band layout does not fit this job (band 2: no GS v 0 command at offset 69, "
            "where the fixed layout expects its header); --layout commands reads its 2 GS v 0 commands\n");

  const Streams json = CliApart(folder, "--json " + Quoted(input));
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.err, "");
  EXPECT_EQ(VerdictFields(folder, json.out),
            "False 2 2 band 2: no GS v 0 command at offset 69, where the fixed layout expects its header\n");
}

TEST(LayoutVerdictCli, FittingJobsAndOtherReadingsGiveNoWarning) {
  TempFolder folder;
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
  const Streams sample = CliApart(folder, Quoted(folder / "receipt.prn"));
  EXPECT_EQ(sample.status, 0);
  EXPECT_EQ(sample.err, "");
  const Streams json = CliApart(folder, "--json " + Quoted(folder / "receipt.prn"));
  EXPECT_NE(json.out.find(",\"layoutVerdict\":{\"fits\":true,\"firstMismatch\":null,\"commandBands\":20}}"),
            std::string::npos)
      << json.out;

  const fs::path driver = testing::WriteDriverJob(folder / "driver.prn", 8);
  const Streams commands = CliApart(folder, "--layout commands " + Quoted(driver));
  EXPECT_EQ(commands.status, 0);
  EXPECT_EQ(commands.err, "");
  EXPECT_NE(commands.out.find("垂直方向位图个数: 2"), std::string::npos) << commands.out;
  // The verdict is the fixed layout's, whichever reading the run used.
  EXPECT_EQ(VerdictFields(folder, Cli("--json --layout commands " + Quoted(driver))),
            "False 2 None the fixed layout takes no band, yet the job holds 2 GS v 0 commands\n");

  const Streams missing = CliApart(folder, "--json " + Quoted(folder / "missing.prn"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("\"layoutVerdict\":null"), std::string::npos) << missing.out;
}

TEST(LayoutVerdictCli, CommandReadingTakesJobsThatDoNotBeginWithInitialise) {
  TempFolder folder;
  const fs::path input = folder / "modes.prn";
  testing::WriteFile(input, testing::HexBytes("1b2100 1b40 1d76300001000100 81 1b4a18 1d76300001000100 42"));
  int status = -1;
  EXPECT_NE(Cli(Quoted(input), &status).find("数据文件无效!"), std::string::npos);
  EXPECT_EQ(status, 1);
  const std::string read = Cli("--layout commands --json " + Quoted(input), &status);
  EXPECT_EQ(status, 0) << read;
  EXPECT_NE(read.find("\"bandCount\":2"), std::string::npos) << read;
  EXPECT_FALSE(fs::exists(folder / "modes.bin"));

  const std::string inspected = Cli("--inspect --layout commands " + Quoted(input), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(inspected.find("raw job, 26 bytes"), std::string::npos) << inspected;
}

TEST(LayoutVerdictCli, CommandReadingWithoutRasterCommandsFails) {
  TempFolder folder;
  const fs::path input = folder / "text.prn";
  testing::WriteFile(input, testing::HexBytes("1b40 48656c6c6f 0a 1b6403 1d5600"));
  const Streams run = CliApart(folder, "--layout commands " + Quoted(input));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("  光栅位图数据大小: 14\n"), std::string::npos) << run.out;
  EXPECT_TRUE(run.out.ends_with("  未找到GS v 0光栅位图命令!\n")) << run.out;
  for (const char* output : {"text.dat", "text.bmp", "text.png"}) EXPECT_FALSE(fs::exists(folder / output));
}

TEST(LayoutVerdictCli, InspectListsTheImageCommandsNoReadingDraws) {
  TempFolder folder;
  const fs::path input = folder / "mixed.prn";
  testing::WriteFile(input, testing::HexBytes("1b40 1b2a0002 00 8001 1d76300001000100 ff 1c700100 1d2f00"));
  const std::string text = Cli("--inspect " + Quoted(input));
  EXPECT_NE(text.find("  image commands no reading draws: 3\n"
                      "         2  ESC *     bit image mode 0, 2 columns\n"
                      "        18  FS p      1, 0\n"
                      "        22  GS /      n = 0\n"),
            std::string::npos)
      << text;
  const std::string json = Cli("--inspect --json " + Quoted(input));
  EXPECT_NE(json.find("\"undrawnImages\":[{\"offset\":2,\"name\":\"ESC *\","), std::string::npos) << json;

  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
  EXPECT_NE(
      Cli("--inspect " + Quoted(folder / "receipt.prn")).find("  image commands no reading draws: none\n"),
      std::string::npos);
}

}  // namespace
}  // namespace tesk
