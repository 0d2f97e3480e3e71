#include "live/query_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tesk::live {
namespace {

using testing::Bytes;
using testing::HexBytes;

// Feeds `job` to `stream` in pieces of `piece` bytes; the answers it gave.
Bytes TakeInPieces(QueryStream& stream, const Bytes& job, std::size_t piece) {
  Bytes answered;
  for (std::size_t at = 0; at < job.size(); at += piece)
    stream.Take(std::span(job).subspan(at, std::min(piece, job.size() - at)), answered);
  return answered;
}

struct QueryCase {
  const char* name;
  const char* query;
  const char* answer;
};

// The answers of a printer that is online with paper loaded, as hosts expect them.
const QueryCase kQueryCases[] = {
    {"PrinterStatus", "10 04 01", "12"},
    {"OfflineCause", "10 04 02", "12"},
    {"ErrorCause", "10 04 03", "12"},
    {"PaperRollSensor", "10 04 04", "12"},
    {"RealTimeStatusUnknown", "10 04 09", ""},
    {"PaperSensor", "1d 72 01", "00"},
    {"PaperSensorAscii", "1d 72 31", "00"},
    {"DrawerSensor", "1d 72 02", "00"},
    {"ModelId", "1d 49 01", "20"},
    {"TypeId", "1d 49 32", "02"},
    {"Maker", "1d 49 42", "5f 54 65 73 6b 00"},
    {"Firmware", "1d 49 41", "5f 31 2e 30 30 00"},
    {"RealTimeRequest", "10 05 02", ""},
    {"InkSensor", "1d 72 04", "00"},
    {"VersionId", "1d 49 03", "64"},
    {"SerialNumber", "1d 49 44", "5f 30 30 30 30 30 30 30 31 00"},
    {"PrinterInformationUnknown", "1d 49 21", ""},
    {"InkStatusFirstColour", "10 04 07 01", "12"},
    {"InkStatusSecondColour", "10 04 07 02", "12"},
    {"InkStatusUnknownUnit", "10 04 07 03", ""},
    {"PeelerStatusUnanswered", "10 04 08 03", ""},
    {"RealTimeStatus18Unanswered", "10 04 12 01", ""},
    {"AutomaticStatusOn", "1d 61 01", "10 00 00 00"},
    {"AutomaticStatusAllKinds", "1d 61 ff", "10 00 00 00"},
    {"AutomaticStatusOff", "1d 61 00", ""},
    {"DrawerPulse", "10 14 01 00 01", ""},
    {"PowerOff", "10 14 02 01 08", ""},
    {"StatusInRealTime", "10 14 07 01", ""},
    {"ClearBuffers", "10 14 08 01 03 14 01 06 02 08", ""},
    {"ProcessId", "1d 28 48 06 00 30 30 41 42 43 44", "37 22 41 42 43 44 00"},
    {"ProcessIdOutOfRange", "1d 28 48 06 00 30 30 41 42 43 1f", ""},
};

class QueryAnswerTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(QueryAnswerTest, AnswersOnceWhicheverWayTheBytesArePieced) {
  const PrinterStatusAnswers answers;
  const Bytes query = HexBytes(GetParam().query);
  const Bytes expected = HexBytes(GetParam().answer);

  QueryStream whole(answers);
  Bytes answered;
  whole.Take(query, answered);
  EXPECT_EQ(answered, expected);
  EXPECT_FALSE(whole.SawPrintData());
  EXPECT_FALSE(whole.InsideCommand());

  QueryStream byteByByte(answers);
  answered.clear();
  for (const std::uint8_t byte : query) byteByByte.Take({&byte, 1}, answered);
  EXPECT_EQ(answered, expected);
  EXPECT_FALSE(byteByByte.SawPrintData());
}

INSTANTIATE_TEST_SUITE_P(Queries, QueryAnswerTest, ::testing::ValuesIn(kQueryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A host that asks many things at once: every query is answered exactly once
// and in order, however the bytes are cut, and nothing in it is a job.
TEST(QueryStream, AllQueriesInOneStreamAnsweredOnceInAnyPieces) {
  const PrinterStatusAnswers answers;
  Bytes queries;
  Bytes expected;
  for (const QueryCase& query : kQueryCases) {
    const Bytes asked = HexBytes(query.query);
    const Bytes answered = HexBytes(query.answer);
    queries.insert(queries.end(), asked.begin(), asked.end());
    expected.insert(expected.end(), answered.begin(), answered.end());
  }
  for (std::size_t piece = 1; piece <= 13; ++piece) {
    QueryStream stream(answers);
    const Bytes answered = TakeInPieces(stream, queries, piece);
    EXPECT_EQ(answered, expected) << "pieces of " << piece;
    EXPECT_FALSE(stream.SawPrintData()) << "pieces of " << piece;
    EXPECT_FALSE(stream.InsideCommand()) << "pieces of " << piece;
  }
}

// Real-time commands with a parameter byte beyond the usual three must be
// read to their end: the byte after them is not text to print.
TEST(QueryStream, LongerRealTimeCommandsLeaveNoPrintData) {
  const PrinterStatusAnswers answers;
  for (const char* commands : {"10 04 07 41 10 04 01", "10 14 08 01 03 14 01 06 02 08 10 04 01",
                               "10 14 07 01 10 04 01", "1d 28 48 06 00 30 30 20 20 20 20 10 04 01"}) {
    QueryStream stream(answers);
    Bytes answered;
    stream.Take(HexBytes(commands), answered);
    EXPECT_FALSE(stream.SawPrintData()) << commands;
    EXPECT_EQ(answered.back(), 0x12) << commands;
  }
}

TEST(QueryStream, OtherLengthsOfGsParenHArePrintDataInAnyPieces) {
  const PrinterStatusAnswers answers;
  // A GS ( H of 20 parameter bytes is no process-ID request.
  Bytes job = HexBytes("10 04 01 1d 28 48 14 00");
  job.insert(job.end(), 20, 0x30);
  for (std::size_t piece : {std::size_t{1}, std::size_t{5}, job.size()}) {
    QueryStream stream(answers);
    const Bytes answered = TakeInPieces(stream, job, piece);
    EXPECT_EQ(answered, HexBytes("12")) << "pieces of " << piece;
    EXPECT_EQ(stream.FirstPrintData(), 3) << "pieces of " << piece;
  }
}

TEST(QueryStream, AnswersFromTheRecordGiven) {
  PrinterStatusAnswers answers;
  answers.paperRollSensor = 0x72;  // paper end
  answers.modelName = "M";
  answers.inkStatusB = 0x3a;                           // second colour ink end, no cartridge
  answers.automaticStatus = {0x18, 0x00, 0x0c, 0x00};  // offline, paper end
  QueryStream stream(answers);
  Bytes answered;
  stream.Take(HexBytes("10 04 04 1d 49 43 10 04 07 02 1d 61 02 1d 61 00"), answered);
  EXPECT_EQ(answered, HexBytes("72 5f 4d 00 3a 18 00 0c 00"));
  EXPECT_EQ(stream.QueriesAnswered(), 4u);
}

TEST(QueryStream, QueryBytesInsideDotRowsAreNoQuery) {
  const PrinterStatusAnswers answers;
  // A query, then a band of 2 x 3 bytes whose dots spell DLE EOT 1 twice, then a real query.
  const Bytes job = HexBytes("10 04 02 1b 40 1d 76 30 00 02 00 03 00 10 04 01 10 04 01 10 04 01");
  for (std::size_t piece : {std::size_t{1}, std::size_t{4}, job.size()}) {
    QueryStream stream(answers);
    const Bytes answered = TakeInPieces(stream, job, piece);
    EXPECT_EQ(answered, HexBytes("12 12")) << "pieces of " << piece;
    EXPECT_EQ(stream.FirstPrintData(), 3) << "pieces of " << piece;
    EXPECT_FALSE(stream.InsideCommand());
  }
}

TEST(QueryStream, LongPayloadsAreCountedOffNotKept) {
  const PrinterStatusAnswers answers;
  QueryStream stream(answers);
  Bytes answered;
  // A band of 72 x 2000 bytes, its header first, its dots in pieces.
  stream.Take(HexBytes("1b 40 1d 76 30 00 48 00 d0 07 00 00 00 00 00 00 00 00"), answered);
  EXPECT_TRUE(stream.InsideCommand());
  const Bytes dots(72 * 2000 - 8, 0x10);
  stream.Take(dots, answered);
  EXPECT_FALSE(stream.InsideCommand());
  stream.Take(HexBytes("10 04 02"), answered);
  EXPECT_EQ(answered, HexBytes("12"));
}

// Commands whose end is not announced up front: the follower must find it
// the same way whichever piece the bytes that tell it arrive in.
struct OpenEndCase {
  const char* name;
  Bytes job;
  const char* answer;
};

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

std::vector<OpenEndCase> OpenEndCases() {
  // Dots that spell DLE EOT 1 twice: a query only if the end of the command is missed.
  const Bytes fakeQueries = HexBytes("10 04 01 10 04 01 00 00");
  Bytes longTabStops(70000, 0x20);
  std::copy(fakeQueries.begin(), fakeQueries.begin() + 3, longTabStops.begin() + 69000);
  return {
      // FS q with two 8 x 1 images: the second header comes after the first image's dots.
      {"NvImagesSecondHeaderLate",
       Joined({HexBytes("1c 71 02 01 00 01 00 ff ff ff ff ff ff ff ff 01 00 01 00"), fakeQueries,
               HexBytes("10 04 02")}),
       "12"},
      {"TabStopsLongerThanAnyHeader", Joined({HexBytes("1b 44"), longTabStops, HexBytes("00 10 04 02")}),
       "12"},
      {"BarcodeUpToNul", Joined({HexBytes("1d 6b 04 31 32 10 04 01 33 00 10 04 02")}), "12"},
  };
}

class OpenEndTest : public ::testing::TestWithParam<OpenEndCase> {};

TEST_P(OpenEndTest, FoundTheSameWayInAnyPieces) {
  const PrinterStatusAnswers answers;
  const Bytes& job = GetParam().job;
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{16}, std::size_t{4096}, job.size()}) {
    QueryStream stream(answers);
    const Bytes answered = TakeInPieces(stream, job, piece);
    EXPECT_EQ(answered, HexBytes(GetParam().answer)) << "pieces of " << piece;
    EXPECT_EQ(stream.FirstPrintData(), 0) << "pieces of " << piece;
    EXPECT_FALSE(stream.InsideCommand()) << "pieces of " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, OpenEndTest, ::testing::ValuesIn(OpenEndCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QueryStream, TellsAJobCutInsideACommand) {
  const PrinterStatusAnswers answers;
  for (const char* cut : {"1b 40 1d 76 30", "1b 40 1d 76 30 00 02 00 03 00 ff", "1b 40 1b"}) {
    QueryStream stream(answers);
    Bytes answered;
    stream.Take(HexBytes(cut), answered);
    EXPECT_TRUE(stream.SawPrintData()) << cut;
    EXPECT_TRUE(stream.InsideCommand()) << cut;
  }
  // A cut command that can no longer become a query is print data; one that can is not yet.
  QueryStream cutHeader(answers);
  Bytes answered;
  cutHeader.Take(HexBytes("10 04 02 1d 76 30 30 00 1b"), answered);
  EXPECT_EQ(cutHeader.FirstPrintData(), 3);
  QueryStream cutQuery(answers);
  cutQuery.Take(HexBytes("10 04 02 1d 49"), answered);
  EXPECT_FALSE(cutQuery.SawPrintData());
  EXPECT_TRUE(cutQuery.InsideCommand());
}

}  // namespace
}  // namespace tesk::live
