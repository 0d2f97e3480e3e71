// One printer session in every container, byte order, time unit and link type
// that we read; and the same session as the packet analyser tshark reads it.

#include <gtest/gtest.h>

#include <cctype>
#include <map>

#include "tests/usbcap/usb_capture_fixture.h"
#include "tools/sample_job.h"

namespace tesk::usbcap {
namespace {

using namespace testing;
using tools::CaptureFile;
using tools::UsbCaptureLayout;

struct FormatCase {
  const char* name;
  UsbCaptureLayout layout;
  // Time of the first job transfer after the first packet: the session steps
  // 125.001 us per packet, which microsecond stamps round down.
  double firstTransferSeconds;
};

void PrintTo(const FormatCase& format, std::ostream* out) { *out << format.name; }

constexpr double kMicrosecondStep = 0.000625;  // five steps, each stamp cut to whole microseconds
constexpr double kNanosecondStep = 0.000625005;

// A small job of three bands in URBs of 500 bytes: 8 URBs, the last one short.
Bytes SmallJob() {
  const auto picture = tools::MakeReceiptPicture(24, 3 * 48);
  return tools::BuildFixedLayoutJob(picture, 48);
}
constexpr std::size_t kUrbSize = 500;

class UsbCaptureFormats : public ::testing::TestWithParam<FormatCase> {
 protected:
  Bytes Capture() const { return CaptureOf(GetParam().layout, tools::MakePrinterSession(job_, kUrbSize)); }
  Bytes job_ = SmallJob();
};

TEST_P(UsbCaptureFormats, GiveTheJobBackWhole) {
  const FormatCase& format = GetParam();
  const Decoded decoded = Decode(Capture());
  ASSERT_TRUE(decoded.result.jobFound);
  EXPECT_EQ(decoded.job, job_);
  const UsbCaptureStatistics& statistics = decoded.result.statistics;
  EXPECT_EQ(statistics.container,
            format.layout.file == CaptureFile::Pcap ? UsbContainer::Pcap : UsbContainer::PcapNg);
  EXPECT_EQ(statistics.bigEndian, format.layout.bigEndian);
  EXPECT_EQ(statistics.linkTypes, std::vector<std::uint16_t>{format.layout.linkType});
  EXPECT_EQ(statistics.jobStream, (UsbStreamKey{0, 1, kPrinter, kPrinterOut}));
  EXPECT_EQ(statistics.bulkOutStreams, 2u);  // the printer and the decoy
  EXPECT_EQ(statistics.transfersTaken, (job_.size() + kUrbSize - 1) / kUrbSize);
  EXPECT_EQ(statistics.gaps, 0u);
  EXPECT_FALSE(statistics.damaged);
  EXPECT_EQ(statistics.usbRecords, statistics.packets);
  ASSERT_FALSE(decoded.transfers.empty());
  EXPECT_NEAR(decoded.transfers.front().seconds, format.firstTransferSeconds, 1e-10);
  std::uint64_t offset = 0;
  for (const UsbTransfer& transfer : decoded.transfers) {
    EXPECT_EQ(transfer.jobOffset, offset);
    EXPECT_EQ(transfer.outcome, TransferOutcome::Completed);
    offset += transfer.length;
  }
  EXPECT_EQ(offset, job_.size());
}

TEST_P(UsbCaptureFormats, SnapLengthLeavesGapsButKeepsTheRest) {
  UsbCaptureLayout layout = GetParam().layout;
  layout.snapLength = 300;  // every 500-byte URB loses its end, whatever the header size
  const Decoded decoded = Decode(CaptureOf(layout, tools::MakePrinterSession(job_, kUrbSize)));
  ASSERT_TRUE(decoded.result.jobFound);
  const UsbCaptureStatistics& statistics = decoded.result.statistics;
  EXPECT_EQ(statistics.transfersTaken, (job_.size() + kUrbSize - 1) / kUrbSize);
  const std::size_t header = layout.linkType == 249 ? 27 : layout.linkType == 220 ? 64 : 48;
  const std::size_t room = layout.snapLength - header;
  std::uint64_t cutUrbs = 0;
  for (std::size_t start = 0; start < job_.size(); start += kUrbSize)
    if (std::min(kUrbSize, job_.size() - start) > room) ++cutUrbs;
  EXPECT_EQ(statistics.gaps, cutUrbs);
  EXPECT_EQ(decoded.job.size() + statistics.gapBytes, job_.size());
  // Each transfer's bytes are the start of its URB.
  for (std::size_t index = 0; index < decoded.transfers.size(); ++index) {
    const UsbTransfer& transfer = decoded.transfers[index];
    const auto urbStart = job_.begin() + static_cast<std::ptrdiff_t>(index * kUrbSize);
    EXPECT_TRUE(
        std::equal(decoded.job.begin() + static_cast<std::ptrdiff_t>(transfer.jobOffset),
                   decoded.job.begin() + static_cast<std::ptrdiff_t>(transfer.jobOffset + transfer.length),
                   urbStart));
  }
}

// tshark's reading of the same file: the bytes it shows as capture data for
// each transfer we took, concatenated, are the job.
std::map<std::uint64_t, Bytes> TsharkCaptureData(const std::filesystem::path& file) {
  std::string output;
  const int status = tesk::testing::RunCommand("tshark -r '" + file.string() +
                                                   "' -T fields -e frame.number -e usb.capdata 2>/dev/null",
                                               &output);
  std::map<std::uint64_t, Bytes> frames;
  if (status != 0) return frames;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    start = end + 1;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab + 1 >= line.size()) continue;
    std::string hex;
    for (char character : line.substr(tab + 1))
      if (std::isxdigit(static_cast<unsigned char>(character))) hex += character;
    frames[std::stoull(line.substr(0, tab))] = tesk::testing::HexBytes(hex);
  }
  return frames;
}

TEST_P(UsbCaptureFormats, TsharkShowsTheSameBytesForTheTransfersTaken) {
  if (tesk::testing::RunCommand("tshark -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "tshark is not installed";
  tesk::testing::TempFolder folder;
  const std::filesystem::path path = folder / "session.cap";
  const Bytes file = Capture();
  tesk::testing::WriteFile(path, file);
  const Decoded decoded = Decode(file);
  ASSERT_TRUE(decoded.result.jobFound);
  const std::map<std::uint64_t, Bytes> frames = TsharkCaptureData(path);
  ASSERT_FALSE(frames.empty()) << "tshark read nothing from the capture";
  Bytes shown;
  for (const UsbTransfer& transfer : decoded.transfers) {
    const auto frame = frames.find(transfer.frame);
    ASSERT_NE(frame, frames.end()) << "tshark shows no capture data in frame " << transfer.frame;
    shown.insert(shown.end(), frame->second.begin(), frame->second.end());
  }
  EXPECT_EQ(shown, job_);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UsbCaptureFormats,
    ::testing::Values(
        FormatCase{"PcapUsbmonLittleEndian", {.file = CaptureFile::Pcap, .linkType = 189}, kMicrosecondStep},
        FormatCase{"PcapUsbmonBigEndianNanoseconds",
                   {.file = CaptureFile::Pcap, .linkType = 189, .bigEndian = true, .nanoseconds = true},
                   kNanosecondStep},
        FormatCase{"PcapMmappedNanoseconds",
                   {.file = CaptureFile::Pcap, .linkType = 220, .nanoseconds = true},
                   kNanosecondStep},
        FormatCase{"PcapMmappedBigEndian",
                   {.file = CaptureFile::Pcap, .linkType = 220, .bigEndian = true},
                   kMicrosecondStep},
        FormatCase{"PcapUsbPcap", {.file = CaptureFile::Pcap, .linkType = 249}, kMicrosecondStep},
        FormatCase{"PcapUsbPcapInABigEndianFile",
                   {.file = CaptureFile::Pcap, .linkType = 249, .bigEndian = true},
                   kMicrosecondStep},
        FormatCase{"PcapNgMmapped", {.file = CaptureFile::PcapNg, .linkType = 220}, kMicrosecondStep},
        FormatCase{"PcapNgMmappedBigEndianNanoseconds",
                   {.file = CaptureFile::PcapNg, .linkType = 220, .bigEndian = true, .nanoseconds = true},
                   kNanosecondStep},
        FormatCase{"PcapNgUsbmonBigEndian",
                   {.file = CaptureFile::PcapNg, .linkType = 189, .bigEndian = true},
                   kMicrosecondStep},
        FormatCase{"PcapNgUsbPcapNanoseconds",
                   {.file = CaptureFile::PcapNg, .linkType = 249, .nanoseconds = true},
                   kNanosecondStep},
        // Simple packets carry no time stamp.
        FormatCase{"PcapNgSimplePacketsMmapped",
                   {.file = CaptureFile::PcapNg, .linkType = 220, .simplePackets = true},
                   0.0},
        FormatCase{"PcapNgSimplePacketsUsbPcapBigEndian",
                   {.file = CaptureFile::PcapNg, .linkType = 249, .bigEndian = true, .simplePackets = true},
                   0.0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tesk::usbcap
