#include "capture/whole_capture_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/capture/whole_capture_cases.h"
#include "tools/capture_text.h"

namespace tesk::capture {
namespace {

using testing::Bytes;

struct Read {
  WholeCaptureResult result = WholeCaptureResult::NoRoom;
  Bytes job;
  WholeCaptureStatistics statistics;
  std::int32_t bytesPerLine = -1;
};

// Reads a text as the loader hands it over: room for the file's size, grown
// on request, and everything behind the job must stay zero.
Read ReadText(std::string_view text) {
  std::vector<std::uint8_t> room(text.size(), 0);
  WholeCaptureTarget target{room};
  target.grow = [&room](std::size_t size) {
    room.resize(size, 0);
    return std::span<std::uint8_t>(room);
  };
  Read read;
  read.result = ReadWholeCapture(text, target);
  EXPECT_EQ(target.data.data(), room.data());
  const auto end = room.begin() + target.dataLength;
  read.job.assign(room.begin(), end);
  EXPECT_TRUE(std::all_of(end, room.end(), [](std::uint8_t byte) { return byte == 0; }))
      << "bytes left behind the job";
  read.statistics = target.statistics;
  read.bytesPerLine = target.bytesPerLine;
  return read;
}

class GeneratedWholeCapture : public ::testing::TestWithParam<WholeCaptureCase> {};

TEST_P(GeneratedWholeCapture, ReadsTheJobGivenToTheGenerator) {
  const WholeCaptureCase& row = GetParam();
  const Read read = ReadText(row.text);
  EXPECT_EQ(read.result, row.job ? WholeCaptureResult::Job : WholeCaptureResult::NoJob);
  EXPECT_EQ(read.job.size(), row.expected.size());
  EXPECT_TRUE(read.job == row.expected) << "the job differs";
  if (row.job) {
    EXPECT_EQ(read.bytesPerLine, row.bytesPerLine);
    EXPECT_EQ(read.statistics.transfersTaken, row.transfersTaken);
    EXPECT_EQ(read.statistics.repeatCopies, row.repeatCopies);
    EXPECT_EQ(read.statistics.device, "27.2");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, GeneratedWholeCapture, ::testing::ValuesIn(WholeCaptureCases()),
                         [](const auto& info) { return info.param.name; });

TEST(WholeCaptureReader, FindsTheColumnsWhereTheHeaderPutsThem) {
  using enum tools::DumpColumn;
  const std::vector<tools::CaptureTransfer> transfers = {{"OUT", {0x1B, 0x40, 0x0A}, ""}};
  const std::string text = tools::MakeCaptureText(
      tools::CaptureLayout{16, "27.2", {Device, Length, Phase, Data, Description, Command, Time}}, transfers);
  const Read read = ReadText(text);
  ASSERT_EQ(read.result, WholeCaptureResult::Job);
  const CaptureColumns& columns = read.statistics.columns;
  EXPECT_TRUE(columns.fromHeader);
  std::string found;
  for (const CaptureColumn& column : columns.columns)
    found += std::string(CaptureColumnHead(column.name)) + "@" + std::to_string(column.start) + " ";
  EXPECT_EQ(found, "Device@0 Length@8 Phase@18 Data@25 Description@77 Cmd.Phase.Ofs(rep)@95 Time@115 ");
  EXPECT_EQ(read.statistics.bytesPerLineSource, BytesPerLineSource::DataColumn);
}

TEST(WholeCaptureReader, ExpandsAJobOnlyAsFarAsTheLargestJob) {
  const std::vector<tools::CaptureTransfer> transfers = {{"OUT", {0x1B, 0x40, 0x0A, 0x0A}, "", 1000}};
  const std::string text = tools::MakeCaptureText(tools::CaptureLayout{}, transfers);
  for (const std::size_t largest : {std::size_t{4000}, std::size_t{3999}}) {
    std::vector<std::uint8_t> room(text.size(), 0);
    WholeCaptureTarget target{room};
    std::size_t asked = 0;
    target.grow = [&](std::size_t size) {
      asked = std::max(asked, size);
      room.resize(size, 0);
      return std::span<std::uint8_t>(room);
    };
    target.largestJob = largest;
    const WholeCaptureResult result = ReadWholeCapture(text, target);
    EXPECT_EQ(result, largest == 4000 ? WholeCaptureResult::Job : WholeCaptureResult::NoJob) << largest;
    EXPECT_LE(asked, largest);
    EXPECT_EQ(target.dataLength, largest == 4000 ? 4000 : 0);
  }
}

TEST(WholeCaptureReader, RoomThatCannotBeHadIsNoRoom) {
  const std::vector<tools::CaptureTransfer> transfers = {{"OUT", {0x1B, 0x40, 0x0A, 0x0A}, "", 1000}};
  const std::string text = tools::MakeCaptureText(tools::CaptureLayout{}, transfers);
  std::vector<std::uint8_t> room(text.size() + 1, 0);
  WholeCaptureTarget target{std::span<std::uint8_t>(room).first(text.size())};
  target.grow = [](std::size_t) { return std::span<std::uint8_t>(); };
  EXPECT_EQ(ReadWholeCapture(text, target), WholeCaptureResult::NoRoom);
  EXPECT_EQ(target.dataLength, 0);
  EXPECT_TRUE(std::all_of(room.begin(), room.end(), [](std::uint8_t byte) { return byte == 0; }));
}

}  // namespace
}  // namespace tesk::capture
