#include "commands/command_scanner.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/temp_folder.h"

namespace tesk::commands {
namespace {

using testing::HexBytes;

// "offset name detail" for every command, the way --inspect shows them.
std::vector<std::string> Lines(const testing::Bytes& job) {
  std::vector<std::string> lines;
  ScanCommands(job, [&](const CommandRecord& command) {
    lines.push_back(std::to_string(command.offset) + " " + CommandName(command) + ": " +
                    DescribeCommand(command, job));
  });
  return lines;
}

TEST(CommandScanner, NamesEveryCommandOfAReceipt) {
  const auto job = HexBytes(
      "1b40 1b6101 1b2400 01 1b32 1b3318 1b4d01 1b4501 1b2d02 1b2108 1d2111 1d4c2000 1d570002"
      "1d4201 1b4a18 1b6403 1c2e 1c26 54 4f 54 41 4c 0a 0d 1d5641 05 1d5600 1d5601");
  const std::vector<std::string> expected = {
      "0 ESC @: initialise the printer",
      "2 ESC a: justify centre",
      "5 ESC $: absolute position 256",
      "9 ESC 2: default line spacing",
      "11 ESC 3: line spacing 24 dots",
      "14 ESC M: character font 1",
      "17 ESC E: emphasis on",
      "20 ESC -: underline 2 dot(s)",
      "23 ESC !: print mode 0x08",
      "26 GS !: character size 2 x 2",
      "29 GS L: left margin 32 dots",
      "33 GS W: print area width 512 dots",
      "37 GS B: white/black reverse on",
      "40 ESC J: print and feed 24 dots",
      "43 ESC d: print and feed 3 lines",
      "46 FS .: cancel Kanji character mode",
      "48 FS &: select Kanji character mode",
      "50 text: \"TOTAL\" (5 bytes)",
      "55 control: LF: print and line feed",
      "56 control: CR: print and carriage return",
      "57 GS V: feed 5 and full cut",
      "61 GS V: full cut",
      "64 GS V: partial cut",
  };
  EXPECT_EQ(Lines(job), expected);
}

TEST(CommandScanner, ReadsPageModeCommandsWithTheirParameters) {
  const auto job =
      HexBytes("1b4c 1b57 0a00 1400 4002 0001 1b5403 1d24 2000 1d5c feff 1b24 0800 41 1b0c 18 0c 1b53");
  EXPECT_EQ(Lines(job), (std::vector<std::string>{
                            "0 ESC L: select page mode",
                            "2 ESC W: page area from 10, 20, 576 x 256",
                            "12 ESC T: page direction top to bottom, from the top right",
                            "15 GS $: page vertical position 32",
                            "19 GS \\: page relative vertical position -2",
                            "23 ESC $: absolute position 8",
                            "27 text: \"A\" (1 bytes)",
                            "28 ESC FF: print the page and stay in page mode",
                            "30 control: CAN: cancel print data in page mode",
                            "31 control: FF: print and return to standard mode",
                            "32 ESC S: select standard mode",
                        }));
  std::vector<CommandCode> codes;
  ScanCommands(job, [&](const CommandRecord& command) { codes.push_back(command.code); });
  EXPECT_EQ(codes, (std::vector<CommandCode>{CommandCode::PageMode, CommandCode::PageArea,
                                             CommandCode::PageDirection, CommandCode::PageVerticalPosition,
                                             CommandCode::PageRelativeVerticalPosition,
                                             CommandCode::AbsolutePosition, CommandCode::None,
                                             CommandCode::PrintPageAndStay, CommandCode::CancelPage,
                                             CommandCode::PrintPage, CommandCode::StandardMode}));
}

TEST(CommandScanner, SkipsThePayloadsOfImageAndGraphicsCommands) {
  // Payloads full of command bytes must not be read as commands.
  const auto job = HexBytes(
      "1d7630 31 0200 0200 1b401b40"  // GS v 0 mode 49, 2 x 2
      "1b2a 21 0200 1d1d1d 1d1d1d"    // ESC * mode 33: 3 bytes a column
      "1d284c 0600 30 70 1b1b1b1b"    // GS ( L, 6 parameter bytes
      "1d384c 03000000 30 45 1b"      // GS 8 L, 3 parameter bytes
      "1b40");
  const std::vector<std::string> expected = {
      "0 GS v 0: mode 49 (double width), 2 bytes (16 dots) x 2 rows, 4 data bytes",
      "12 ESC *: bit image mode 33, 2 columns",
      "23 GS ( L: function 112, 6 parameter bytes",
      "34 GS 8 L: function 69, 3 parameter bytes",
      "44 ESC @: initialise the printer",
  };
  EXPECT_EQ(Lines(job), expected);
}

TEST(CommandScanner, ReportsCommandsCutOffByTheEndOfTheJob) {
  const auto job = HexBytes("1b40 1d763000 0400 0300 0102030405");
  std::vector<CommandRecord> commands;
  ScanCommands(job, [&](const CommandRecord& command) { commands.push_back(command); });
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1].type, CommandType::RasterBand);
  EXPECT_TRUE(commands[1].cutOff);
  EXPECT_EQ(commands[1].length, 13u);
  EXPECT_EQ(commands[1].needed, 20u);
  EXPECT_NE(DescribeCommand(commands[1], job).find("cut off by the end of the job"), std::string::npos);
}

TEST(CommandScanner, UnknownBytesAndCommandsAreShownAsTheyAre) {
  const auto job = HexBytes("00 00 ff 1b7a 41 1d286b 0300 314100");
  const std::vector<std::string> expected = {
      "0 unknown: 2 unknown bytes",
      "2 text: \"\\xff\" (1 bytes)",
      "3 unknown: unknown command",
      "5 text: \"A\" (1 bytes)",
      "6 GS (: function group k, 3 parameter bytes",
  };
  EXPECT_EQ(Lines(job), expected);
}

TEST(CommandScanner, ModeNames) {
  EXPECT_EQ(RasterModeName(0), "normal");
  EXPECT_EQ(RasterModeName(48), "normal");
  EXPECT_EQ(RasterModeName(49), "double width");
  EXPECT_EQ(RasterModeName(2), "double height");
  EXPECT_EQ(RasterModeName(51), "quadruple");
  EXPECT_EQ(RasterModeName(5), "undefined");
}

TEST(CommandScanner, WalksTheImagesOfTheOlderImageCommands) {
  // FS q carries several images, each with its own size; GS Q 0 and GS * carry
  // column data. Payloads full of command bytes must be skipped whole.
  const auto job = HexBytes(
      "1c71 02 0100 0100 1b1b1b1b1b1b1b1b 0100 0100 1d1d1d1d1d1d1d1d"
      "1d5130 00 0200 0100 1b1b"
      "1b5c feff"
      "1d2a 01 01 1b1b1b1b1b1b1b1b");
  const std::vector<std::string> expected = {
      "0 FS q: define 2 NV bit image(s)",
      "27 GS Q 0: variable vertical size bit image, 2 dots x 1 bytes high",
      "37 ESC \\: relative position -2",
      "41 GS *: define bit image 8 x 1 bytes",
  };
  EXPECT_EQ(Lines(job), expected);
}

TEST(CommandScanner, ReadsACommandAtAnyOffsetWithItsCode) {
  const auto job = HexBytes("1d7630 00 0100 0100 ff 0a 1b4a 05 1d284c 0200 30 32 1b5501");
  struct Expected {
    std::uint64_t offset;
    CommandCode code;
    std::uint64_t parameters;
  };
  for (const Expected& expected :
       {Expected{0, CommandCode::RasterImage, 3}, Expected{9, CommandCode::LineFeed, 9},
        Expected{10, CommandCode::FeedDots, 12}, Expected{13, CommandCode::Graphics, 18},
        Expected{20, CommandCode::None, 22}}) {
    const CommandRecord command = ReadCommand(job, expected.offset);
    EXPECT_EQ(command.code, expected.code) << expected.offset;
    EXPECT_EQ(ParameterOffset(command), expected.parameters) << expected.offset;
  }
}

}  // namespace
}  // namespace tesk::commands
