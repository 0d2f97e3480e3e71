// A capture text's side lists as the loader keeps them for the listing: the
// line that carried each job byte and what the printer sent back, for both
// readings of the text. Checked against the text itself: the line named for a
// byte shows that byte.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "core/job_listing.h"
#include "core/raster_source.h"
#include "tests/support/temp_folder.h"
#include "tools/capture_text.h"

namespace tesk::core {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::HexBytes;

Bytes Counting(std::size_t count, std::uint8_t first) {
  Bytes bytes(count);
  for (std::size_t index = 0; index < count; ++index)
    bytes[index] = static_cast<std::uint8_t>(first + index * 7);
  return bytes;
}

tools::CaptureTransfer Transfer(const char* phase, Bytes bytes, std::string device = {}, int repeats = 1) {
  tools::CaptureTransfer transfer;
  transfer.phase = phase;
  transfer.bytes = std::move(bytes);
  transfer.device = std::move(device);
  transfer.repeats = repeats;
  return transfer;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string HexOf(const Bytes& bytes, std::size_t from, std::size_t count) {
  std::string text;
  for (std::size_t index = from; index < from + count && index < bytes.size(); ++index) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02x", bytes[index]);
    text += (text.empty() ? "" : " ") + std::string(digits);
  }
  return text;
}

struct SidesCase {
  const char* name;
  CaptureReading reading;
  std::string lineEnd;
  int repeats;  // of the job's second OUT transfer
  std::vector<std::uint64_t> answerOffsets;
};

void PrintTo(const SidesCase& sides, std::ostream* out) { *out << sides.name; }

class CaptureSides : public ::testing::TestWithParam<SidesCase> {};

TEST_P(CaptureSides, NameTheLinesThatShowTheBytes) {
  const SidesCase& sides = GetParam();
  // ESC @, DLE EOT 1, then rows; the printer answers between the transfers.
  Bytes first = HexBytes("1b40 100401");
  const Bytes rows = Counting(40, 0x21);
  first.insert(first.end(), rows.begin(), rows.end());
  const std::vector<tools::CaptureTransfer> transfers = {
      Transfer("IN", HexBytes("16"), "27.1"),  // before the job
      Transfer("OUT", first),
      Transfer("IN", HexBytes("12"), "27.1"),
      Transfer("IN", HexBytes("0c"), "30.1"),  // another device's
      Transfer("OUT", Counting(20, 0x30), {}, sides.repeats),
      Transfer("IN", HexBytes("1e"), "27.1"),
  };
  tools::CaptureLayout layout;
  layout.lineEnd = sides.lineEnd;
  const std::string text = tools::MakeCaptureText(layout, transfers);
  testing::TempFolder folder;
  fs::path path = folder / "capture.txt";
  testing::WriteFile(path, text);

  RasterSource source;
  source.captureReading = sides.reading;
  source.listCaptureSides = true;
  ASSERT_EQ(source.Load(path), CaptureKind::CaptureText);
  const Bytes job(source.Job().begin(), source.Job().end());
  const std::vector<std::string> lines = LinesOf(text);
  // Every byte of the job, a repeat's copies too, is named by a line showing it.
  for (std::uint64_t offset = 0; offset < job.size(); ++offset) {
    const auto line = capture::CaptureLineHolding(source.captureSides.lines, offset);
    ASSERT_TRUE(line) << "offset " << offset;
    ASSERT_LE(*line, lines.size());
    EXPECT_NE(lines[*line - 1].find(HexOf(job, offset, 1)), std::string::npos)
        << "offset " << offset << " line " << *line << ": " << lines[*line - 1];
  }
  // The full lines of a transfer are held as one run, its short last line as
  // another: two transfers and a repeat at most five.
  EXPECT_LE(source.captureSides.lines.size(), 5u);
  // Each line read opens its dump with the bytes it gave, in their first group of four.
  for (const capture::CaptureLineSpan& span : source.captureSides.lines) {
    if (span.period != 0) continue;
    for (std::uint64_t line = 0; line < span.lineCount; ++line) {
      const std::uint64_t first = span.jobOffset + line * span.lineBytes;
      const std::string group = HexOf(job, first, std::min<std::uint64_t>(span.lineBytes, 4));
      const std::string& shown = lines[span.line + line - 1];
      EXPECT_NE(shown.find(group), std::string::npos) << span.line + line << ": " << shown;
    }
  }

  std::vector<std::uint64_t> offsets;
  for (const capture::CaptureInTransfer& answer : source.captureSides.inTransfers) {
    offsets.push_back(answer.jobOffset);
    ASSERT_LE(answer.line, lines.size());
    EXPECT_NE(lines[answer.line - 1].find("IN"), std::string::npos);
    EXPECT_NE(lines[answer.line - 1].find(HexOf(answer.bytes, 0, 1)), std::string::npos);
  }
  EXPECT_EQ(offsets, sides.answerOffsets);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CaptureSides,
    ::testing::Values(SidesCase{"FirstTransferReader", CaptureReading::Default, "\r\n", 1, {0, 45, 45}},
                      SidesCase{"WholeReader", CaptureReading::Whole, "\r\n", 1, {0, 45, 65}},
                      SidesCase{"WholeReaderLineFeeds", CaptureReading::Whole, "\n", 1, {0, 45, 65}},
                      SidesCase{"WholeReaderRepeats", CaptureReading::Whole, "\r\n", 3, {0, 45, 105}}),
    [](const auto& info) { return std::string(info.param.name); });

// The listing reads the answers against the queries before them.
TEST(CaptureAnswers, AreDecodedByTheQueryBeforeThem) {
  const std::vector<tools::CaptureTransfer> transfers = {
      Transfer("OUT", HexBytes("1b40 100401 100404")),
      Transfer("IN", HexBytes("12 7e"), "27.1"),
  };
  testing::TempFolder folder;
  const fs::path path = folder / "capture.txt";
  testing::WriteFile(path, tools::MakeCaptureText({}, transfers));
  const JobListing listing = ListJob(path, CaptureReading::Default, BandLayoutChoice::Fixed);
  ASSERT_TRUE(listing.valid);
  ASSERT_EQ(listing.answers.size(), 1u);
  EXPECT_EQ(AnswerBytesText(listing.answers[0]), "12 7e");
  EXPECT_EQ(listing.answers[0].meaning, "DLE EOT 1: online; DLE EOT 4: paper near end, paper end");
  EXPECT_GT(listing.answers[0].captureLine, 0u);
}

}  // namespace
}  // namespace tesk::core
