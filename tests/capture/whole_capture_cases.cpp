#include "tests/capture/whole_capture_cases.h"

#include <string_view>

#include "tests/capture/test_jobs.h"
#include "tools/capture_text.h"

namespace tesk::capture {
namespace {

using testing::Bytes;
using tools::CaptureLayout;
using tools::CaptureTransfer;
using tools::DumpColumn;

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

const CaptureTransfer kDeviceIdRequest = {"CTL", testing::HexBytes("a1 00 00 00 00 00 f1 03"), "CLASS"};
const CaptureTransfer kStatusByte = {"IN", {0x12}, ""};

// A job sent in 4096-byte transfers, as a driver hands it to the bus, with the
// host's other traffic between them: a status read, a control request, a
// transfer to another endpoint, and one short transfer sent three times.
struct SplitJob {
  std::vector<CaptureTransfer> transfers;
  Bytes job;
};

SplitJob MakeSplitJob(int repeats = 3) {
  const Bytes bytes = TestJob(4096 * 2 + 100 + 777);
  const Bytes first = Slice(bytes, 0, 4096);
  const Bytes second = Slice(bytes, 4096, 8192);
  const Bytes repeated = Slice(bytes, 8192, 8292);
  const Bytes last = Slice(bytes, 8292, bytes.size());
  SplitJob split;
  split.transfers = {
      kDeviceIdRequest,
      {"OUT", first, ""},
      {"IN", TestJob(40, 3), ""},
      {"OUT", second, ""},
      kDeviceIdRequest,
      {"OUT", TestJob(300, 9), "", 1, "27.3"},
      {"OUT", repeated, "", repeats},
      kStatusByte,
      {"OUT", last, ""},
      kStatusByte,
  };
  split.job = Joined({first, second});
  for (int copy = 0; copy < repeats; ++copy) split.job = Joined({split.job, repeated});
  split.job = Joined({split.job, last});
  return split;
}

struct NamedLayout {
  const char* name;
  std::vector<DumpColumn> columns;
};

const std::vector<NamedLayout>& SavedLayouts() {
  using enum DumpColumn;
  static const std::vector<NamedLayout> layouts = {
      {"DevicePhaseData", {Device, Phase, Data, Description, Command}},
      {"LengthAndTime", {Device, Length, Phase, Data, Description, Command, Time}},
      {"AddressAndLength", {Device, Address, Length, Phase, Data, Description, Command}},
      {"DeltaDateTime", {Device, Length, Phase, Data, Description, Delta, Command, Date, Time}},
      {"DataFirst", {Data, Description, Device, Phase, Command, Driver}},
  };
  return layouts;
}

std::string Capture(const std::vector<DumpColumn>& columns, int bytesPerLine,
                    const std::vector<CaptureTransfer>& transfers, std::string lineEnd = "\r\n") {
  return tools::MakeCaptureText(CaptureLayout{bytesPerLine, "27.2", columns, lineEnd}, transfers);
}

std::string WithoutLastLineEnd(std::string text) {
  text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

// The dump alone, as when only the dump lines were copied out of the window.
std::string WithoutHeader(const std::string& text) {
  const std::size_t dashes = text.find("------  -----");
  return text.substr(text.find('\n', dashes) + 1);
}

std::string ReplaceFirst(std::string text, std::string_view from, std::string_view to) {
  const std::size_t found = text.find(from);
  return found == std::string::npos ? "no " + std::string(from) : text.replace(found, from.size(), to);
}

}  // namespace

std::vector<WholeCaptureCase> WholeCaptureCases() {
  std::vector<WholeCaptureCase> cases;
  const SplitJob split = MakeSplitJob();
  constexpr std::int64_t kTaken = 4;  // the job's OUT transfers, the repeated one once
  constexpr std::int64_t kCopies = 2;

  for (const NamedLayout& layout : SavedLayouts()) {
    for (const int bytesPerLine : {4, 16, 32})
      cases.push_back({std::string(layout.name) + "_" + std::to_string(bytesPerLine),
                       Capture(layout.columns, bytesPerLine, split.transfers), true, split.job, kTaken,
                       kCopies, bytesPerLine});
    cases.push_back({std::string(layout.name) + "_LfLineEnds",
                     Capture(layout.columns, 16, split.transfers, "\n"), true, split.job, kTaken, kCopies,
                     16});
  }

  const auto& defaultColumns = SavedLayouts()[0].columns;
  const auto& dataFirst = SavedLayouts()[4].columns;
  std::vector<CaptureTransfer> endsInJob = split.transfers;
  endsInJob.pop_back();
  const std::string capture = Capture(defaultColumns, 16, split.transfers);
  const Bytes singleLine = TestJob(12);

  cases.insert(
      cases.end(),
      {
          {"LastLineWithoutCrLf", WithoutLastLineEnd(Capture(defaultColumns, 16, endsInJob)), true, split.job,
           kTaken, kCopies, 16},
          {"LastLineWithoutLf", WithoutLastLineEnd(Capture(dataFirst, 32, endsInJob, "\n")), true, split.job,
           kTaken, kCopies, 32},
          // Without the column heads the default places hold, and the offsets tell
          // how many bytes a line shows.
          {"NoHeader", WithoutHeader(capture), true, split.job, kTaken, kCopies, 16},
          {"NoHeaderLf", WithoutHeader(Capture(defaultColumns, 32, split.transfers, "\n")), true, split.job,
           kTaken, kCopies, 32},
          // Heads that do not name the phase cannot place it: the default places hold.
          {"UnknownPhaseHead", ReplaceFirst(capture, "Phase  Data", "Stage  Data"), true, split.job, kTaken,
           kCopies, 16},
          // No transfer of two lines tells the count: the padding ends the line.
          {"NoHeaderSingleLineJob",
           WithoutHeader(
               Capture(defaultColumns, 16, {kDeviceIdRequest, {"OUT", singleLine, ""}, kStatusByte})),
           true, singleLine, 1, 0, 0},
          {"LowerCaseHeads", ReplaceFirst(capture, "Device  Phase  Data", "device  phase  data"), true,
           split.job, kTaken, kCopies, 16},
          {"EmptyLineInsideTransfer", ReplaceFirst(capture, "\r\n               ", "\r\n\r\n               "),
           true, split.job, kTaken, kCopies, 16},
          {"RepeatedFirstTransfer", Capture(defaultColumns, 16, {{"OUT", singleLine, "", 3}, kStatusByte}),
           true, Joined({singleLine, singleLine, singleLine}), 1, 2, 16},
          // A count far beyond the text's own size: the job outgrows the file.
          {"RepeatLongerThanFile", Capture(defaultColumns, 16, {{"OUT", singleLine, "", 20000}}), true,
           [&] {
             Bytes many;
             for (int copy = 0; copy < 20000; ++copy)
               many.insert(many.end(), singleLine.begin(), singleLine.end());
             return many;
           }(),
           1, 19999, 16},
          {"NotAJobBeforeTheJob",
           Capture(defaultColumns, 16, {{"OUT", Slice(TestJob(40), 2, 40), ""}, {"OUT", TestJob(50), ""}}),
           true, TestJob(50), 1, 0, 16},
          {"NoJob",
           Capture(defaultColumns, 16, {kDeviceIdRequest, {"OUT", Slice(TestJob(40), 2, 40), ""}}),
           false,
           {},
           0,
           0,
           0},
          {"LowerCaseOut", Capture(defaultColumns, 16, {{"out", TestJob(50), ""}}), false, {}, 0, 0, 0},
          {"ZeroRepeatCount", ReplaceFirst(capture, ".1.0(3)", ".1.0(0)"), false, {}, 0, 0, 0},
          {"UnreadableRepeatCount", ReplaceFirst(capture, ".1.0(3)", ".1.0(x)"), false, {}, 0, 0, 0},
          // 100 bytes two thousand million times: refused before any room is made.
          {"RepeatBeyondTheLargestJob",
           ReplaceFirst(capture, ".1.0(3)", ".1.0(2000000000)"),
           false,
           {},
           0,
           0,
           0},
          {"RepeatCountOfTwentyDigits",
           ReplaceFirst(capture, ".1.0(3)", ".1.0(99999999999999999999)"),
           false,
           {},
           0,
           0,
           0},
          {"Empty", "", false, {}, 0, 0, 0},
      });
  return cases;
}

}  // namespace tesk::capture
