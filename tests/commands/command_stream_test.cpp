// Which files the command reading takes for print jobs, and which image
// commands --inspect lists as drawn by no reading.

#include "commands/command_stream.h"

#include <gtest/gtest.h>

#include "commands/image_commands.h"
#include "tests/support/temp_folder.h"

namespace tesk::commands {
namespace {

using testing::HexBytes;

struct StreamCase {
  const char* name;
  const char* bytes;  // hex
  bool isJob;
};

void PrintTo(const StreamCase& stream, std::ostream* out) { *out << stream.name; }

const StreamCase kStreams[] = {
    {"ModeCommandBeforeInitialise", "1b2100 1b40 1d76300001000100 ff", true},
    {"RasterBandAtZero", "1d76300001000200 f00f 1d76300001000200 3cc3", true},
    {"TextThenCut", "48656c6c6f 0a 1d5600", true},
    {"CodePageAndJustify", "1b7400 1b6101 1b4a18", true},
    {"UnknownCommandEarlyButWholeBand", "1b7f 1b4a00 1d76300001000100 aa", true},
    {"PlainText", "44657669636520204c656e677468 0d0a 2d2d2d2d 0d0a", false},
    {"CaptureTextOfAnotherAnalyser", "23204f555420313b20313b2032 0a 31622034300a", false},
    {"UnknownCommandEarlyNoBand", "1b7f 1b4a00 0a", false},
    {"ControlByteFirst", "00 1b40 1d76300001000100 ff", false},
    {"Utf16Text", "fffe4400650076", false},
    {"CutOffBandOnly", "1b7f 1d76300004000400 ff", false},
    {"Empty", "", false},
};

class CommandStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(CommandStreams, AreTakenForJobsOnlyWhenTheyReadAsCommands) {
  EXPECT_EQ(LooksLikeCommandStream(HexBytes(GetParam().bytes)), GetParam().isJob);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandStreams, ::testing::ValuesIn(kStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UndrawnImages, AreTheImageCommandsNoReadingDraws) {
  const auto job = HexBytes(
      "1b40"
      "1b2a2102 00 010203 040506"    // ESC * 24-dot double density, 2 columns
      "1d284c0600 30 70 30 0101 31"  // GS ( L fn 112: store raster graphics
      "1d284c0200 30 31"             // GS ( L fn 49: dot density, no image
      "1d384c04000000 30 32 00 00"   // GS 8 L fn 50: print buffered graphics
      "1d2a0101 0102030405060708"    // GS * define bit image
      "1d2f00"                       // GS / print it
      "1c700100"                     // FS p print NV image 1
      "1d513000 0200 0100 aabb"      // GS Q 0: 2 dots x 1 byte
      "1d76300001000100 ff"          // GS v 0: drawn by the band readings
      "1b4a18");
  std::vector<std::string> listed;
  ScanCommands(job, [&](const CommandRecord& command) {
    if (IsUndrawnImageCommand(command, job))
      listed.push_back(std::to_string(command.offset) + " " + CommandName(command));
  });
  const std::vector<std::string> expected = {"2 ESC *", "13 GS ( L", "31 GS 8 L", "42 GS *",
                                             "54 GS /", "57 FS p",   "61 GS Q 0"};
  EXPECT_EQ(listed, expected);
}

TEST(UndrawnImages, ColumnImageTakesItsDataBytes) {
  const auto job = HexBytes("1d513000 0300 0200 010203040506 1b4a18");
  std::vector<std::string> names;
  ScanCommands(job, [&](const CommandRecord& command) {
    names.push_back(CommandName(command) + " " + std::to_string(command.length));
  });
  EXPECT_EQ(names, (std::vector<std::string>{"GS Q 0 14", "ESC J 3"}));
}

}  // namespace
}  // namespace tesk::commands
