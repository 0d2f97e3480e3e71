// tesk-cli on archives: the bundled sample in both its forms, and archives
// that give nothing to convert.

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tests/zip/archive_tools.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

std::string ConvertCopy(const TempFolder& folder, const std::string& sample, int* status) {
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / sample, folder / sample);
  return Cli("--json " + testing::Quoted(folder / sample), status);
}

class SampleForms : public ::testing::TestWithParam<const char*> {};

TEST_P(SampleForms, GiveTheFiguresOfTheRawSample) {
  TempFolder folder;
  int status = -1;
  const std::string output = ConvertCopy(folder, GetParam(), &status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("\"loadedPath\":\"" + (folder / "receipt.prn").string() + "\""), std::string::npos)
      << output;
  EXPECT_NE(output.find("\"dataLength\":34791"), std::string::npos) << output;
  EXPECT_NE(output.find("\"widthBytes\":72"), std::string::npos);
  EXPECT_NE(output.find("\"bandHeight\":24"), std::string::npos);
  EXPECT_NE(output.find("\"bandCount\":20"), std::string::npos);
  EXPECT_NE(output.find("\"bitmapHeight\":480"), std::string::npos);
  EXPECT_NE(output.find("\"zipFileSize\":"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder / "receiptbin.zip"));
  EXPECT_TRUE(fs::exists(folder / "receipt.bmp"));

  TempFolder rawFolder;
  const std::string raw = ConvertCopy(rawFolder, "receipt.prn", &status);
  EXPECT_EQ(FiguresOf(output), FiguresOf(raw));
  EXPECT_FALSE(FiguresOf(raw).empty());
}

INSTANTIATE_TEST_SUITE_P(Table, SampleForms, ::testing::Values("receipt.prn", "receipt.zip"),
                         [](const auto& info) {
                           return std::string(info.param).substr(std::string(info.param).find('.') + 1);
                         });

TEST(SampleArchive, IsOurWritersArchiveOfTheRawSample) {
  const fs::path archive = fs::path(TESK_SAMPLES_DIR) / "receipt.zip";
  testing::ExpectEveryToolAccepts(archive, {{"receipt.prn",
                                             testing::ReadFile(fs::path(TESK_SAMPLES_DIR) / "receipt.prn")}});
  const auto listing = testing::PythonListing(archive);
  ASSERT_EQ(listing.size(), 1u);
  EXPECT_EQ(listing[0].substr(0, 20), "receipt.prn 0x2 8 0x");
  EXPECT_NE(listing[0].find(" 0x81800020 0xb17 0"), std::string::npos) << listing[0];
}

TEST(ArchiveEndToEnd, ExtractedEntryIsNamedInTheTextReport) {
  TempFolder folder;
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "job.prn");
  std::string output;
  ASSERT_EQ(testing::RunCommand("cd " + testing::Quoted(folder.path()) +
                                    " && zip -q pack.zip job.prn && rm job.prn",
                                &output),
            0)
      << output;
  int status = -1;
  output = Cli(testing::Quoted(folder / "pack.zip"), &status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("载入文件: " + (folder / "job.prn").string()), std::string::npos) << output;
  EXPECT_NE(output.find("水平方向位图字节数: 72"), std::string::npos) << output;
  EXPECT_TRUE(fs::exists(folder / "jobbin.zip"));
  EXPECT_FALSE(fs::exists(folder / "packbin.zip"));
}

TEST(ArchiveEndToEnd, EmptyArchiveIsInvalidData) {
  TempFolder folder;
  testing::WriteFile(folder / "empty.zip",
                     testing::HexBytes("504b0506 00000000 00000000 00000000 00000000 0000"));
  int status = -1;
  const std::string output = Cli(testing::Quoted(folder / "empty.zip"), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("数据文件无效!"), std::string::npos) << output;
}

}  // namespace
}  // namespace tesk
