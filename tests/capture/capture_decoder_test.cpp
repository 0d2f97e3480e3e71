#include "capture/capture_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/capture/test_jobs.h"
#include "tests/support/temp_folder.h"
#include "tools/capture_text.h"
#include "tools/sample_capture.h"

namespace tesk::capture {
namespace {

using testing::Bytes;
using tools::CaptureTransfer;

struct Decoded {
  int result = -1;
  Bytes data;
  std::int32_t bytesPerLine = -1;
  bool kindIsCapture = false;
};

// Decodes a file as the loader hands it over: the text ends at the file's first
// zero byte, and the room for the job is the file's size.
Decoded DecodeFile(std::string_view file) {
  const std::string_view text = file.substr(0, file.find('\0'));
  std::vector<std::uint8_t> room(file.size(), 0);
  CaptureDecodeTarget target{room};
  Decoded decoded;
  decoded.result = DecodeCaptureText(text, target);
  const auto end = room.begin() + target.dataLength;
  decoded.data.assign(room.begin(), end);
  decoded.bytesPerLine = target.bytesPerLine;
  decoded.kindIsCapture = target.kindIsCapture;
  EXPECT_TRUE(std::all_of(end, room.end(), [](std::uint8_t byte) { return byte == 0; }))
      << "bytes written past dataLength";
  return decoded;
}

TEST(CaptureDecoder, WorkedExample) {
  const std::string capture =
      "Device  Phase  Data                      Description  Cmd.Phase.Ofs(rep)\r\n"
      "------  -----  ------------------------  -----------  ------------------\r\n"
      "  27.2  OUT    1b 40 1d 76  30 00 01 00  .@.v0...            1.1.0        \r\n"
      "               02 00 c3 3c               ...<                1.1.8        \r\n"
      "  27.2  IN     00                        .                   2.1.0        \r\n"
      "  27.2  OUT    1b 40                     .@                  3.1.0        \r\n";
  const Decoded decoded = DecodeFile(capture);
  EXPECT_EQ(decoded.result, 1);
  EXPECT_EQ(decoded.data, testing::HexBytes("1B 40 1D 76 30 00 01 00 02 00 C3 3C"));
  EXPECT_EQ(decoded.bytesPerLine, 8);
  EXPECT_TRUE(decoded.kindIsCapture);
}

Bytes Join(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const CaptureTransfer kDeviceIdRequest = {"CTL", testing::HexBytes("a1 00 00 00 00 00 f1 03"), "CLASS"};
const CaptureTransfer kStatusByte = {"IN", {0x12}, ""};

std::string Capture(int bytesPerLine, const std::vector<CaptureTransfer>& transfers) {
  return tools::MakeCaptureText(tools::CaptureLayout{bytesPerLine, "27.2"}, transfers);
}

// The job as a real capture shows it: the printer's device ID asked for first,
// a status byte read back after.
std::string JobCapture(int bytesPerLine, const Bytes& job) {
  return Capture(bytesPerLine, {kDeviceIdRequest, {"OUT", job, ""}, kStatusByte});
}

std::size_t LineStartOf(const std::string& text, std::string_view marker) {
  const std::size_t found = text.find(marker);
  EXPECT_NE(found, std::string::npos) << marker;
  const std::size_t lineEnd = text.rfind("\r\n", found);
  return lineEnd == std::string::npos ? 0 : lineEnd + 2;
}

std::string InsertBeforeLine(std::string text, std::string_view marker, std::string_view insert) {
  return text.insert(LineStartOf(text, marker), insert);
}

std::string ReplaceFirst(std::string text, std::string_view from, std::string_view to) {
  const std::size_t found = text.find(from);
  EXPECT_NE(found, std::string::npos) << from;
  return text.replace(found, from.size(), to);
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Hex digits in capitals, in the Data column of every dump line.
std::string CapitalHex(std::string text, int bytesPerLine) {
  const auto width = static_cast<std::size_t>(tools::DataColumnWidth(bytesPerLine));
  for (std::size_t line = LineStartOf(text, "------  -----"); line < text.size();
       line = text.find("\r\n", line) + 2) {
    const std::size_t end = std::min(text.find("\r\n", line), line + 15 + width);
    for (std::size_t at = line + 15; at < end; ++at)
      if (text[at] >= 'a' && text[at] <= 'f') text[at] = static_cast<char>(text[at] - 'a' + 'A');
  }
  return text;
}

// Every continuation line with other text where the device column stands.
std::string MarkDeviceColumns(std::string text) {
  return ReplaceAll(std::move(text), "\r\n               ", "\r\nxx.xx.xx       ");
}

std::string Utf16(std::string_view text) {
  std::string wide = "\xFF\xFE";
  for (const char character : text) {
    wide += character;
    wide += '\0';
  }
  return wide;
}

// A capture of 8 bytes per line whose only OUT transfer is one full line, with
// another column after the Data column: `head` over it, `value` in it. Without
// `withHeader` the column heads and dashes are left out.
std::string OneLineBeforeAnotherColumn(const std::string& head, const std::string& value, bool withHeader) {
  const std::string padding(head.size() > value.size() ? head.size() - value.size() : 0, ' ');
  std::string text = "Bus Hound 6.01 capture.\r\n\r\n";
  if (withHeader)
    text += "Device  Phase  Data                     " + head +
            "  Cmd.Phase.Ofs(rep)\r\n"
            "------  -----  -----------------------  " +
            std::string(head.size(), '-') + "  ------------------\r\n";
  return text + "  27.2  OUT    1b 40 aa aa  aa 1d 76 30  " + value + padding +
         "  1.1.0\r\n"
         "  27.2  IN     00                       " +
         value + padding + "  2.1.0\r\n";
}

struct CaptureCase {
  std::string name;
  std::string file;
  int result;
  Bytes data;
  std::int32_t bytesPerLine;
};

std::vector<CaptureCase> CaptureCases() {
  const Bytes job = TestJob(200);
  const Bytes otherJob = TestJob(90, 5);
  std::vector<CaptureCase> cases;
  for (const int bytesPerLine : {4, 8, 16, 32, 64})
    cases.push_back(
        {"BytesPerLine" + std::to_string(bytesPerLine), JobCapture(bytesPerLine, job), 1, job, bytesPerLine});

  const std::string capture = JobCapture(16, job);
  const std::string endsInJob = Capture(16, {kDeviceIdRequest, {"OUT", job, ""}});
  // Control codes and bytes above 0x7F only: the description is all dots.
  Bytes dots = {0x1B, 0x40};
  for (int value = 0; value < 62; ++value)
    dots.push_back(static_cast<std::uint8_t>(value < 31 ? value : 0x80 + value));
  const Bytes notAJob = Slice(TestJob(40), 2, 40);
  const Bytes lineWithoutJunk = Join(Slice(job, 0, 36), Slice(job, 48, job.size()));

  cases.insert(cases.end(),
               {
                   {"ShortLastLine", JobCapture(16, TestJob(37)), 1, TestJob(37), 16},
                   {"DescriptionFullOfDots", JobCapture(16, dots), 1, dots, 16},
                   {"CapitalHex", CapitalHex(capture, 16), 1, job, 16},
                   {"LowerCaseOut", Capture(16, {kDeviceIdRequest, {"out", job, ""}, kStatusByte}), 0, {}, 0},
                   {"InAndCtlBetweenOutTransfers",
                    Capture(16, {kDeviceIdRequest,
                                 {"OUT", job, ""},
                                 {"IN", TestJob(40, 3), ""},
                                 kDeviceIdRequest,
                                 {"OUT", otherJob, ""},
                                 kStatusByte}),
                    1, job, 16},
                   {"EmptyLineInsideTransfer", InsertBeforeLine(capture, "2.1.48 ", "\r\n"), 1, job, 16},
                   {"ShortLineInsideTransfer", InsertBeforeLine(capture, "2.1.48 ", "  27.2         \r\n"), 1,
                    job, 16},
                   {"DeviceColumnNotExamined", MarkDeviceColumns(capture), 1, job, 16},
                   {"LastLineWithoutCrLf", endsInJob.substr(0, endsInJob.size() - 2), 1, Slice(job, 0, 192),
                    16},
                   {"LfOnlyLineEnds", ReplaceAll(capture, "\r\n", "\n"), 0, {}, 0},
                   {"Utf16Text", Utf16(capture), 0, {}, 0},
                   {"ZeroByteInMiddle", InsertBeforeLine(capture, "2.1.48 ", std::string(1, '\0')), 1,
                    Slice(job, 0, 48), 16},
                   {"SingleLineTransferThenSecondOut",
                    Capture(16, {{"OUT", {0x1B, 0x40}, ""}, kStatusByte, {"OUT", otherJob, ""}}),
                    1,
                    {0x1B, 0x40},
                    16},
                   // A transfer of one line, with no later transfer that tells how long a
                   // line is: the line's own layout ends its bytes.
                   {"SecondOutNotAJob",
                    Capture(16, {{"OUT", {0x1B, 0x40, 0x0A}, ""}, {"OUT", notAJob, ""}}),
                    1,
                    {0x1B, 0x40, 0x0A},
                    0},
                   {"OnlyOutIsOneShortLine", JobCapture(16, TestJob(5)), 1, TestJob(5), 0},
                   {"OnlyOutIsOneFullLine", JobCapture(16, TestJob(16)), 1, TestJob(16), 0},
                   {"OnlyOutIsOneFullWideLine", JobCapture(64, TestJob(64)), 1, TestJob(64), 0},
                   // Whatever column follows the data, its text is never read as bytes.
                   {"OneLineBeforeADateColumn",
                    OneLineBeforeAnotherColumn("Date      ", "2024-05-06", true),
                    1,
                    {0x1B, 0x40, 0xAA, 0xAA, 0xAA, 0x1D, 0x76, 0x30},
                    0},
                   {"OneLineBeforeADateColumnNoHeader",
                    OneLineBeforeAnotherColumn("Date      ", "2024-05-06", false),
                    1,
                    {0x1B, 0x40, 0xAA, 0xAA, 0xAA, 0x1D, 0x76, 0x30},
                    0},
                   {"OneLineBeforeATimeColumnNoHeader",
                    OneLineBeforeAnotherColumn("Time        ", "12:34:56.789", false),
                    1,
                    {0x1B, 0x40, 0xAA, 0xAA, 0xAA, 0x1D, 0x76, 0x30},
                    0},
                   {"OneLineBeforeALengthColumn",
                    OneLineBeforeAnotherColumn("Length", "16", true),
                    1,
                    {0x1B, 0x40, 0xAA, 0xAA, 0xAA, 0x1D, 0x76, 0x30},
                    0},
                   {"FirstOutNotAJob",
                    Capture(16, {kDeviceIdRequest, {"OUT", notAJob, ""}, {"OUT", job, ""}}),
                    0,
                    {},
                    0},
                   {"HeaderLineWithOut",
                    InsertBeforeLine(capture, "Device  Phase", "Capture OUT of 27.2\r\n"),
                    0,
                    {},
                    0},
                   {"HeaderLineWithInAndCtl",
                    InsertBeforeLine(capture, "Device  Phase", "Capture CTL and IN only\r\n"), 1, job, 16},
                   {"IndentedHeaderLineLooksLikeData",
                    InsertBeforeLine(capture, "Device  Phase", "               1b 40 1d 76\r\n"), 1, job, 16},
                   {"UnreadablePieceEndsItsLine",
                    ReplaceFirst(capture, capture.substr(LineStartOf(capture, "2.1.32 ") + 28, 2), "zz"), 1,
                    lineWithoutJunk, 16},
                   {"MissingOffset", ReplaceFirst(capture, "2.1.16 ", "2.1.   "), 0, {}, 0},
                   {"ZeroOffset", ReplaceFirst(capture, "2.1.16 ", "2.1.0  "), 0, {}, 0},
                   {"NegativeOffset", ReplaceFirst(capture, "2.1.16 ", "2.1.-16"), 0, {}, 0},
               });
  return cases;
}

void PrintTo(const CaptureCase& row, std::ostream* out) { *out << row.name; }

class GeneratedCapture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(GeneratedCapture, DecodesTheFirstOutTransfer) {
  const CaptureCase& row = GetParam();
  const Decoded decoded = DecodeFile(row.file);
  EXPECT_EQ(decoded.result, row.result);
  EXPECT_EQ(decoded.kindIsCapture, row.result == 1);
  EXPECT_EQ(decoded.data, row.data);
  EXPECT_EQ(decoded.bytesPerLine, row.bytesPerLine);
}

INSTANTIATE_TEST_SUITE_P(Table, GeneratedCapture, ::testing::ValuesIn(CaptureCases()),
                         [](const auto& info) { return info.param.name; });

// The sample job saved with columns in another order, or with a column of
// times after the offsets, has to decode to the same bytes.
struct ColumnOrderCase {
  std::string name;
  std::vector<tools::DumpColumn> columns;
  bool timingOnEveryLine;
  bool withHeader;
};

// The capture without its column heads and the row of dashes under them.
std::string WithoutHeader(std::string text) {
  const std::size_t heads = LineStartOf(text, "Device  ");
  const std::size_t dashes = text.find("\r\n", text.find("\r\n", heads) + 2) + 2;
  text.erase(heads, dashes - heads);
  EXPECT_EQ(text.find("------"), std::string::npos);
  return text;
}

std::vector<ColumnOrderCase> ColumnOrderCases() {
  using enum tools::DumpColumn;
  const std::vector<tools::DumpColumn> usual = tools::DefaultDumpColumns();
  const std::vector<tools::DumpColumn> time = {Device, Phase, Data, Description, Command, Time};
  const std::vector<tools::DumpColumn> delta = {Device, Phase, Data, Description, Command, Delta};
  const std::vector<tools::DumpColumn> both = {Device, Phase, Data, Description, Command, Delta, Time};
  const std::vector<tools::DumpColumn> all = {Device, Phase, Data, Description, Delta, Command, Date, Time};
  return {
      {"UsualColumns", usual, false, true},
      {"UsualColumnsNoHeader", usual, false, false},
      {"TimeOnFirstLinesAfterOffset", time, false, true},
      {"TimeAfterOffset", time, true, true},
      {"TimeAfterOffsetNoHeader", time, true, false},
      {"DeltaAfterOffset", delta, true, true},
      {"DeltaAfterOffsetNoHeader", delta, true, false},
      {"DeltaAndTimeAfterOffset", both, true, true},
      {"DeltaAndTimeAfterOffsetNoHeader", both, true, false},
      {"DeltaBeforeDateAndTimeAfterOffset", all, true, true},
  };
}

void PrintTo(const ColumnOrderCase& row, std::ostream* out) { *out << row.name; }

class SampleWithColumns : public ::testing::TestWithParam<ColumnOrderCase> {};

TEST_P(SampleWithColumns, DecodesToTheSampleJob) {
  const ColumnOrderCase& row = GetParam();
  const Bytes job = testing::ReadFile(std::filesystem::path(TESK_SAMPLES_DIR) / "receipt.prn");
  tools::CaptureLayout layout;
  layout.columns = row.columns;
  layout.timingOnEveryLine = row.timingOnEveryLine;
  std::string capture = tools::MakeSampleCaptureText(job, layout);
  if (!row.withHeader) capture = WithoutHeader(std::move(capture));
  const Decoded decoded = DecodeFile(capture);
  EXPECT_EQ(decoded.result, 1);
  EXPECT_EQ(decoded.bytesPerLine, 16);
  EXPECT_EQ(decoded.data.size(), job.size());
  EXPECT_TRUE(decoded.data == job);
}

INSTANTIATE_TEST_SUITE_P(Table, SampleWithColumns, ::testing::ValuesIn(ColumnOrderCases()),
                         [](const auto& info) { return info.param.name; });

TEST(CaptureDecoder, CountAboveWhatTheFirstLineShowsIsRefused) {
  // No offsets at all, and times whose last digits would pass for a count of
  // 74: reading that many pieces a line would take descriptions for bytes.
  const Bytes job = TestJob(200);
  tools::CaptureLayout layout;
  layout.columns = {tools::DumpColumn::Device, tools::DumpColumn::Phase, tools::DumpColumn::Data,
                    tools::DumpColumn::Description, tools::DumpColumn::Time};
  layout.timingOnEveryLine = true;
  const std::string capture =
      tools::MakeCaptureText(layout, std::vector<CaptureTransfer>{kDeviceIdRequest, {"OUT", job, ""}});
  ASSERT_NE(capture.find("09:00:02.074  \r\n               "), std::string::npos);
  const Decoded decoded = DecodeFile(capture);
  EXPECT_EQ(decoded.result, 0);
  EXPECT_TRUE(decoded.data.empty());
}

TEST(CaptureDecoder, NeverWritesPastTheRoomGiven) {
  const Bytes job = TestJob(200);
  const std::string capture = JobCapture(16, job);
  std::vector<std::uint8_t> room(21, 0);
  CaptureDecodeTarget target{std::span<std::uint8_t>(room).first(20)};
  EXPECT_EQ(DecodeCaptureText(capture, target), 1);
  EXPECT_EQ(target.dataLength, 20);
  EXPECT_EQ(Bytes(room.begin(), room.begin() + 20), Slice(job, 0, 20));
  EXPECT_EQ(room[20], 0);
}

}  // namespace
}  // namespace tesk::capture
