#include "tools/capture_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tesk::tools {
namespace {

// The dump as the analyser itself lays it out by default, CR LF after every line.
constexpr const char* kAnalyserDump[] = {
    "Device  Phase  Data                                                Description       Cmd.Phase.Ofs(rep)",
    "------  -----  --------------------------------------------------  ----------------  ------------------",
    "  27.2  CTL    a1 00 00 00  00 00 f1 03                            CLASS                    1.1.0        ",
    "  27.2  OUT    1b 40 1d 76  30 00 30 00  18 00 00 b6  00 6d 00 db  .@.v0.0......m..         2.1.0        ",
    "               00 b6 00 6d  00 db 00 b6  00 6d 00 db  00 b6 00 6d  ...m.....m.....m         2.1.16       ",
    "               4e 54 45 52  3b                                     NTER;                    2.1.32       ",
};

TEST(CaptureText, LaysOutLinesAsTheAnalyserDoes) {
  const std::vector<CaptureTransfer> transfers = {
      {"CTL", testing::HexBytes("a1 00 00 00 00 00 f1 03"), "CLASS"},
      {"OUT",
       testing::HexBytes("1b 40 1d 76 30 00 30 00 18 00 00 b6 00 6d 00 db"
                         "00 b6 00 6d 00 db 00 b6 00 6d 00 db 00 b6 00 6d 4e 54 45 52 3b"),
       ""},
  };
  const std::string text = MakeCaptureText(CaptureLayout{}, transfers);
  std::string expected;
  for (const char* line : kAnalyserDump) expected += std::string(line) + "\r\n";
  ASSERT_GE(text.size(), expected.size());
  EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
  EXPECT_EQ(text.rfind("Bus Hound 6.01 capture on Windows", 0), 0u);
}

TEST(CaptureText, OtherColumnsRepeatsAndLfLineEnds) {
  using enum DumpColumn;
  const std::vector<CaptureTransfer> transfers = {{"OUT", testing::HexBytes("1b 40 0a 0a 0a"), "", 3}};
  const std::string text = MakeCaptureText(
      CaptureLayout{4, "27.2", {Device, Length, Phase, Data, Description, Command, Time}, "\n"}, transfers);
  const std::string expected =
      "Device  Length    Phase  Data         Description  Cmd.Phase.Ofs(rep)  Time\n"
      "------  --------  -----  -----------  -----------  ------------------  ------------\n"
      "  27.2         5  OUT    1b 40 0a 0a  .@..                1.1.0(3)     09:00:01.037  \n"
      "                         0a           .                   1.1.4                      \n";
  ASSERT_GE(text.size(), expected.size());
  EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

class DataColumn : public ::testing::TestWithParam<int> {};

TEST_P(DataColumn, FullLineFillsItExactly) {
  const int bytesPerLine = GetParam();
  const std::vector<CaptureTransfer> transfers = {
      {"OUT", std::vector<std::uint8_t>(static_cast<std::size_t>(bytesPerLine), 0xAB), ""}};
  const std::string text = MakeCaptureText(CaptureLayout{bytesPerLine, "3.1"}, transfers);
  const std::size_t lineStart = text.rfind("   3.1  OUT    ");
  ASSERT_NE(lineStart, std::string::npos);
  const std::string line = text.substr(lineStart, text.find("\r\n", lineStart) - lineStart);
  const auto width = static_cast<std::size_t>(DataColumnWidth(bytesPerLine));
  EXPECT_EQ(width, static_cast<std::size_t>(3 * bytesPerLine - 1 + (bytesPerLine - 1) / 4));
  EXPECT_EQ(line.substr(15, 3), "ab ");
  EXPECT_EQ(line.substr(15 + width - 2, 4), "ab  ");
  EXPECT_EQ(line.substr(15 + width + 2, static_cast<std::size_t>(bytesPerLine)),
            std::string(static_cast<std::size_t>(bytesPerLine), '.'));
  EXPECT_EQ(line.substr(line.size() - 13), "1.1.0        ");
}

INSTANTIATE_TEST_SUITE_P(BytesPerLine, DataColumn, ::testing::Values(4, 8, 16, 32, 64),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param); });

}  // namespace
}  // namespace tesk::tools
