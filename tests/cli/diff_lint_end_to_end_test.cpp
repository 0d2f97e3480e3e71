// tesk-cli --diff and --lint as a user runs them; the overlay is read back by
// Python's imaging library, not by our own decoder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::HexBytes;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The overlay's palette and its pixels as rows of palette indices.
std::string DecodedOverlay(const fs::path& png) {
  std::string output;
  const int status = testing::RunCommand(
      "/usr/bin/python3 -c \"import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
      "print(im.mode, im.getpalette()[:12])\nfor y in range(im.size[1]):\n"
      "    print(''.join(str(im.getpixel((x, y))) for x in range(im.size[0])))\" " +
          Quoted(png),
      &output);
  EXPECT_EQ(status, 0) << output;
  return output;
}

const char* const kHead = "1b 40 1b 61 01 1b 32 1d 76 30 00 01 00 02 00 ";

TEST(DiffEndToEnd, OverlayShowsDotsOfBothAndOfEach) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "a.prn", HexBytes(std::string(kHead) + "f0 81"));
  testing::WriteFile(folder / "b.prn", HexBytes(std::string(kHead) + "cc 81"));
  int status = 0;
  const std::string json =
      Cli("--diff --json " + Quoted(folder / "a.prn") + " " + Quoted(folder / "b.prn"), &status);
  EXPECT_EQ(status, 1) << json;
  EXPECT_NE(json.find("\"differingDots\":4"), std::string::npos) << json;
  EXPECT_NE(json.find("\"regions\":[{\"x\":2,\"y\":0,\"width\":4,\"height\":1}]"), std::string::npos) << json;
  // 0 white, 1 black (both), 2 red (only A), 3 blue (only B).
  EXPECT_EQ(DecodedOverlay(folder / "a.diff.png"),
            "P [255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255]\n"
            "11223300\n"
            "10000001\n");
}

TEST(DiffEndToEnd, RawJobAndItsCaptureCompareIdentical) {
  testing::TempFolder folder;
  for (const char* name : {"receipt.prn", "receipt.txt"})
    fs::copy_file(fs::path(TESK_SAMPLES_DIR) / name, folder / name);
  int status = 0;
  const std::string text =
      Cli(Quoted(folder / "receipt.prn") + " --diff " + Quoted(folder / "receipt.txt"), &status);
  EXPECT_EQ(status, 0) << text;
  EXPECT_NE(text.find("pictures identical"), std::string::npos) << text;
  EXPECT_NE(text.find("0 changed, 0 only in A, 0 only in B"), std::string::npos) << text;
  // The run's outputs stay unwritten.
  EXPECT_FALSE(fs::exists(folder / "receipt.bin"));
  EXPECT_FALSE(fs::exists(folder / "receipt.png"));
}

TEST(DiffEndToEnd, UsageErrorsExitTwo) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "a.prn", HexBytes(std::string(kHead) + "f0 81"));
  for (const std::string& arguments :
       {"--diff " + Quoted(folder / "a.prn"),
        "--diff --inspect " + Quoted(folder / "a.prn") + " " + Quoted(folder / "a.prn"),
        "--diff " + Quoted(folder / "a.prn") + " " + Quoted(folder / "missing.prn")}) {
    int status = 0;
    Cli(arguments + " 2>&1", &status);
    EXPECT_EQ(status, 2) << arguments;
  }
}

TEST(LintEndToEnd, FindingsOneALineAndAsJson) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "clean.prn", HexBytes(std::string(kHead) + "f0 81"));
  testing::WriteFile(folder / "quirky.prn", HexBytes(std::string(kHead) + "f0 81 0a 1b 4a"));
  int status = 0;
  EXPECT_EQ(Cli("--lint " + Quoted(folder / "clean.prn"), &status), "");
  EXPECT_EQ(status, 0);
  const std::string text = Cli("--lint --profile 58mm-203dpi " + Quoted(folder / "quirky.prn"), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(text.find("quirky.prn:17: feed-after-raster: LF right after GS v 0: 58mm-203dpi feeds"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("quirky.prn:18: cut-off-command: "), std::string::npos) << text;
  const std::string json = Cli("--lint --json " + Quoted(folder / "quirky.prn"), &status);
  EXPECT_NE(json.find(
                "\"profile\":\"80mm-203dpi\",\"findings\":[{\"code\":\"feed-after-raster\",\"offset\":17"),
            std::string::npos)
      << json;
}

}  // namespace
}  // namespace tesk
