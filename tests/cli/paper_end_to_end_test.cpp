// tesk-cli --render paper: the paper's PNGs, read back by netpbm, and the run
// beside it unchanged.

#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// A band, a 2-dot feed, a line of two 24-dot columns, a cut, and a band.
constexpr const char* kJob =
    "1b40 1d7630 00 0200 0200 ffff 8001 1b4a 02 1b3300 1b2a 21 0200 800000 000001 0a 1d5600"
    "1d7630 00 0100 0100 a5";

fs::path WriteJob(const TempFolder& folder, const char* hex, const std::string& name = "job.prn") {
  testing::WriteFile(folder / name, testing::HexBytes(hex));
  return folder / name;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The PNG as netpbm decodes it: "1" for a black dot, the first `columns` of each row.
std::vector<std::string> DecodedRows(const fs::path& png, int columns, int* width = nullptr) {
  std::string plain;
  if (testing::RunCommand("pngtopnm " + Quoted(png) + " | pnmtoplainpnm", &plain) != 0) return {};
  std::istringstream in(plain);
  std::string magic;
  int fileWidth = 0, height = 0, maximum = 1;
  in >> magic >> fileWidth >> height;
  if (magic != "P1") in >> maximum;
  if (width) *width = fileWidth;
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < fileWidth; ++x) {
      int value = 0;
      in >> value;
      const bool black = magic == "P1" ? value == 1 : value == 0;
      if (x < columns) row += black ? '1' : '0';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(PaperEndToEnd, WritesEachPieceAsAOneBitPng) {
  TempFolder folder;
  const fs::path job = WriteJob(folder, kJob);
  const std::string output = Cli("--render paper --profile 58mm-203dpi " + Quoted(job));
  for (const char* line : {"paperWidth 384", "paperHeight 29", "pieces 2", "imagesDrawn 3", "notDrawn 0"})
    EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;

  int width = 0;
  std::vector<std::string> expected = {"1111111111111111", "1000000000000001", "0000000000000000",
                                       "0000000000000000", "1000000000000000"};
  expected.insert(expected.end(), 22, "0000000000000000");
  expected.push_back("0100000000000000");
  EXPECT_EQ(DecodedRows(folder / "job.paper.png", 16, &width), expected);
  EXPECT_EQ(width, 384);
  EXPECT_EQ(DecodedRows(folder / "job.paper-2.png", 16), std::vector<std::string>{"1010010100000000"});
  EXPECT_FALSE(fs::exists(folder / "job.paper-3.png"));
}

TEST(PaperEndToEnd, LeavesTheRunAsItIsWithoutTheOption) {
  TempFolder folder;
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
  const std::string plain = Cli("--json " + Quoted(folder / "receipt.prn"));
  EXPECT_EQ(plain.find("\"paper\""), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "receipt.paper.png"));
  const std::string withPaper = Cli("--json --render paper " + Quoted(folder / "receipt.prn"));
  EXPECT_EQ(FiguresOf(withPaper), FiguresOf(plain));
  EXPECT_NE(withPaper.find("\"paperWidth\":576"), std::string::npos) << withPaper;
  // The sample's 20 bands of 24 rows with ESC J 0 between them, then a feed.
  EXPECT_NE(withPaper.find("\"imagesDrawn\":20"), std::string::npos) << withPaper;
  EXPECT_TRUE(fs::exists(folder / "receipt.paper.png"));
}

TEST(PaperEndToEnd, AJobWhoseBandRunEndsInAMessageStillGetsItsPaper) {
  TempFolder folder;
  // An 8-dot column line, a line feed, then a band header at offset 10 that
  // asks for 65535 x 65535 bytes: the band run calls the job invalid.
  const fs::path job = WriteJob(folder, "1b40 1b2a 00 0100 ff 0a 0a 1d7630 00 ffff ffff 00");
  int status = -1;
  const std::string output = Cli("--json --render paper " + Quoted(job), &status);
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find("\"message\":\"数据文件无效!\""), std::string::npos) << output;
  // 24 rows of column image in a 30-dot line, and a second line feed.
  EXPECT_NE(output.find("\"paperHeight\":60"), std::string::npos) << output;
  EXPECT_NE(output.find(
                "{\"offset\":10,\"command\":\"GS v 0\",\"reason\":\"cut off by the end of the job\"}"),
            std::string::npos)
      << output;
  const auto rows = DecodedRows(folder / "job.paper.png", 3);
  ASSERT_EQ(rows.size(), 60u);
  EXPECT_EQ(rows[0], "110");
  EXPECT_EQ(rows[23], "110");
  EXPECT_EQ(rows[24], "000");
}

TEST(PaperEndToEnd, TakesAJobThatDoesNotBeginWithInitialise) {
  TempFolder folder;
  const fs::path job = WriteJob(folder, "1b3300 1b2a 21 0100 ffffff 0a");
  int status = -1;
  Cli(Quoted(job) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 1);  // the band run alone finds no job
  const std::string output = Cli("--json --render paper " + Quoted(job) + " 2>/dev/null");
  EXPECT_NE(output.find("\"paperHeight\":24"), std::string::npos) << output;
  EXPECT_EQ(DecodedRows(folder / "job.paper.png", 2).front(), "10");
}

TEST(PaperEndToEnd, ReadsAUserProfile) {
  TempFolder folder;
  testing::WriteFile(folder / "narrow.json", std::string_view(R"({"name": "narrow", "printableWidth": 64})"));
  const fs::path job = WriteJob(folder, "1b40 1b6101 1d7630 00 0100 0100 ff");
  const std::string output =
      Cli("--render paper --profile " + Quoted(folder / "narrow.json") + " " + Quoted(job));
  EXPECT_NE(output.find("paper (narrow)"), std::string::npos) << output;
  int width = 0;
  EXPECT_EQ(DecodedRows(folder / "job.paper.png", 64, &width),
            std::vector<std::string>{"0000000000000000000000000000111111110000000000000000000000000000"});
  EXPECT_EQ(width, 64);
}

TEST(PaperEndToEnd, ProfileMistakesAreUsageErrors) {
  TempFolder folder;
  const fs::path job = WriteJob(folder, kJob);
  int status = -1;
  const std::string unknown = Cli("--render paper --profile 90mm-203dpi " + Quoted(job) + " 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(unknown.find("--profile 90mm-203dpi"), std::string::npos) << unknown;
  Cli("--profile 58mm-203dpi " + Quoted(job) + " 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_FALSE(fs::exists(folder / "job.bmp"));
}

TEST(PaperEndToEnd, InspectListsTheDisplayListAndWritesNothing) {
  TempFolder folder;
  const fs::path job = WriteJob(folder, kJob);
  const std::string output = Cli("--inspect --render paper " + Quoted(job));
  EXPECT_NE(output.find("paper (80mm-203dpi): 576 dots wide, 29 rows in 2 piece(s)"), std::string::npos)
      << output;
  EXPECT_NE(output.find("        20      1       0        4      2     24  column image"), std::string::npos)
      << output;
  EXPECT_FALSE(fs::exists(folder / "job.paper.png"));
  const std::string json = Cli("--inspect --json --render paper " + Quoted(job));
  EXPECT_NE(
      json.find(
          "{\"offset\":2,\"kind\":\"raster image\",\"piece\":1,\"x\":0,\"y\":0,\"width\":16,\"height\":2}"),
      std::string::npos)
      << json;
}

}  // namespace
}  // namespace tesk
