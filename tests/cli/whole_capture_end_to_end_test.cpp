// tesk-cli --capture whole on captures of the sample job as real captures show
// it: other column layouts, LF line ends, the job in many transfers, and
// repeated transfers collapsed into one line with a count.

#include <gtest/gtest.h>

#include <string>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tools/capture_text.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;
using testing::TempFolder;
using tools::CaptureTransfer;
using tools::DumpColumn;

const fs::path kSampleJob = fs::path(TESK_SAMPLES_DIR) / "receipt.prn";

// The job in transfers of `size` bytes, a status read after each.
std::vector<CaptureTransfer> InTransfers(const Bytes& job, std::size_t size) {
  std::vector<CaptureTransfer> transfers = {{"CTL", testing::HexBytes("a1 00 00 00 00 00 f1 03"), "CLASS"}};
  for (std::size_t at = 0; at < job.size(); at += size) {
    transfers.push_back({"OUT",
                         Bytes(job.begin() + static_cast<std::ptrdiff_t>(at),
                               job.begin() + static_cast<std::ptrdiff_t>(std::min(job.size(), at + size))),
                         ""});
    transfers.push_back({"IN", {0x12}, ""});
  }
  return transfers;
}

// The job in transfers of `size` bytes sent back to back, and each run of
// equal ones shown once with its count, as the analyser does.
std::vector<CaptureTransfer> Collapsed(const Bytes& job, std::size_t size) {
  std::vector<CaptureTransfer> transfers;
  for (std::size_t at = 0; at < job.size(); at += size) {
    const Bytes piece(job.begin() + static_cast<std::ptrdiff_t>(at),
                      job.begin() + static_cast<std::ptrdiff_t>(std::min(job.size(), at + size)));
    if (!transfers.empty() && transfers.back().bytes == piece)
      ++transfers.back().repeats;
    else
      transfers.push_back({"OUT", piece, ""});
  }
  return transfers;
}

struct WholeCase {
  const char* name;
  tools::CaptureLayout layout;
  bool splitInto4096;  // else 72-byte transfers with repeats collapsed
};

void PrintTo(const WholeCase& row, std::ostream* out) { *out << row.name; }

std::string CaptureOf(const WholeCase& row) {
  const Bytes job = ReadFile(kSampleJob);
  return tools::MakeCaptureText(row.layout, row.splitInto4096 ? InTransfers(job, 4096) : Collapsed(job, 72));
}

class WholeCaptureEndToEnd : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeCaptureEndToEnd, GivesTheRawJobAndItsOutputs) {
  TempFolder rawFolder;
  TempFolder captureFolder;
  fs::copy_file(kSampleJob, rawFolder / "receipt.prn");
  testing::WriteFile(captureFolder / "receipt.txt", CaptureOf(GetParam()));
  int rawStatus = -1;
  int captureStatus = -1;
  const std::string raw = Cli("--json --keep all " + (rawFolder / "receipt.prn").string(), &rawStatus);
  const std::string capture =
      Cli("--capture whole --json --keep all " + (captureFolder / "receipt.txt").string(), &captureStatus);
  ASSERT_EQ(rawStatus, 0) << raw;
  ASSERT_EQ(captureStatus, 0) << capture;
  EXPECT_EQ(ReadFile(captureFolder / "receipt.bin"), ReadFile(kSampleJob));
  EXPECT_EQ(FiguresOf(capture), FiguresOf(raw));
  for (const char* output : {"receipt.dat", "receipt.bmp", "receipt.png"}) {
    ASSERT_EQ(fs::exists(captureFolder / output), fs::exists(rawFolder / output)) << output;
    if (fs::exists(rawFolder / output)) {
      EXPECT_EQ(ReadFile(captureFolder / output), ReadFile(rawFolder / output)) << output;
    }
  }
}

TEST_P(WholeCaptureEndToEnd, DefaultReadingIsUnchanged) {
  TempFolder folder;
  testing::WriteFile(folder / "receipt.txt", CaptureOf(GetParam()));
  const std::string input = (folder / "receipt.txt").string();
  int withoutStatus = -1;
  int defaultStatus = -1;
  const std::string without = Cli("--json --keep none " + input, &withoutStatus);
  const std::string chosen = Cli("--capture default --json --keep none " + input, &defaultStatus);
  EXPECT_EQ(chosen, without);
  EXPECT_EQ(defaultStatus, withoutStatus);
  // The default decoder takes the first transfer of a default layout with CR
  // LF ends and nothing of the others.
  const bool readable = GetParam().layout.columns == tools::DefaultDumpColumns() &&
                        GetParam().layout.lineEnd == "\r\n" && GetParam().splitInto4096;
  if (readable)
    EXPECT_NE(without.find("\"dataLength\":4096,"), std::string::npos) << without;
  else
    EXPECT_NE(without.find("数据文件无效!"), std::string::npos) << without;
}

using enum DumpColumn;
INSTANTIATE_TEST_SUITE_P(
    Layouts, WholeCaptureEndToEnd,
    ::testing::Values(
        WholeCase{"DefaultColumns", {16, "27.2"}, true},
        WholeCase{"LengthDeltaDateTimeLf",
                  {16, "27.2", {Device, Length, Phase, Data, Description, Delta, Command, Date, Time}, "\n"},
                  true},
        WholeCase{"DataFirstRepeats",
                  {32, "3.1", {Data, Description, Device, Phase, Command}, "\r\n"},
                  false},
        WholeCase{"DefaultColumnsRepeatsLf", {8, "27.2", tools::DefaultDumpColumns(), "\n"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Windows PowerShell's redirection and Notepad's "Unicode" save text as UTF-16
// behind a byte-order mark; a note above the capture holds characters that one
// byte cannot.
std::string SavedAsUtf16(const std::string& text, bool littleEndian) {
  std::u16string units = u"\uFEFF打印机 capture\r\n";
  for (const char character : text) units.push_back(static_cast<unsigned char>(character));
  std::string bytes;
  for (const char16_t unit : units) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

struct Utf16Case {
  const char* name;
  bool littleEndian;
  std::string lineEnd;
};

void PrintTo(const Utf16Case& row, std::ostream* out) { *out << row.name; }

class Utf16Capture : public ::testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16Capture, WholeReadingTakesItDefaultReadingRefusesIt) {
  const Bytes job = ReadFile(kSampleJob);
  TempFolder folder;
  const fs::path input = folder / "receipt.txt";
  tools::CaptureLayout layout;
  layout.lineEnd = GetParam().lineEnd;
  testing::WriteFile(input, SavedAsUtf16(tools::MakeCaptureText(layout, InTransfers(job, 4096)),
                                         GetParam().littleEndian));
  int status = -1;
  const std::string whole = Cli("--capture whole --keep bin " + input.string(), &status);
  EXPECT_EQ(status, 0) << whole;
  EXPECT_EQ(ReadFile(folder / "receipt.bin"), job);
  fs::remove(folder / "receipt.bin");
  const std::string plain = Cli("--keep bin " + input.string(), &status);
  EXPECT_EQ(status, 1) << plain;
  EXPECT_NE(plain.find("数据文件无效!"), std::string::npos) << plain;
  EXPECT_FALSE(fs::exists(folder / "receipt.bin"));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, Utf16Capture,
                         ::testing::Values(Utf16Case{"LittleEndianCrLf", true, "\r\n"},
                                           Utf16Case{"BigEndianLf", false, "\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WholeCaptureInspect, TellsTheReaderTheTransfersAndTheRepeats) {
  const Bytes job = ReadFile(kSampleJob);
  const std::vector<CaptureTransfer> transfers = Collapsed(job, 72);
  std::int64_t copies = 0;
  for (const CaptureTransfer& transfer : transfers) copies += transfer.repeats - 1;
  std::int64_t repeated = 0;
  for (const CaptureTransfer& transfer : transfers) repeated += transfer.repeats > 1 ? 1 : 0;
  ASSERT_GT(repeated, 0);
  TempFolder folder;
  const fs::path input = folder / "receipt.txt";
  testing::WriteFile(input, tools::MakeCaptureText(tools::CaptureLayout{}, transfers));

  int status = -1;
  const std::string text = Cli("--capture whole --inspect " + input.string(), &status);
  EXPECT_EQ(status, 0) << text;
  EXPECT_NE(text.find("  capture text, " + std::to_string(job.size()) +
                      " bytes\n  capture reader: whole\n"
                      "    columns: Device@0 Phase@8 Data@15 Description@67 Cmd.Phase.Ofs(rep)@85\n"
                      "    bytes per line: 16 (Data column width)\n    device: 27.2\n"
                      "    transfers taken: " +
                      std::to_string(transfers.size()) + ", repeated: " + std::to_string(repeated) + " (" +
                      std::to_string(copies) + " copies added), to other devices: 0\n"),
            std::string::npos)
      << text;

  const std::string json = Cli("--capture whole --inspect --json " + input.string(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find("\"transfersTaken\":" + std::to_string(transfers.size()) + ",\"repeatedTransfers\":" +
                      std::to_string(repeated) + ",\"repeatCopies\":" + std::to_string(copies) + ","),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"capture\":{\"reader\":\"whole\",\"columnsFromHeader\":true,\"columns\":[{\"name\":"
                      "\"Device\",\"start\":0,\"width\":6},"),
            std::string::npos);

  const std::string byDefault = Cli("--inspect " + input.string(), &status);
  EXPECT_NE(byDefault.find("  capture reader: default (the first OUT transfer)\n"), std::string::npos)
      << byDefault;
}

}  // namespace
}  // namespace tesk
