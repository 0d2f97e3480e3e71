// Printer sessions as Wireshark's own tools leave them: rewritten by editcap
// into the other container or time unit, with packet comments, and merged by
// mergecap with a second printer's session. Skipped where those tools are missing.

#include <gtest/gtest.h>

#include "tests/usbcap/usb_capture_fixture.h"
#include "tools/sample_job.h"

namespace tesk::usbcap {
namespace {

using namespace testing;
using tesk::testing::ReadFile;
using tesk::testing::RunCommand;
using tesk::testing::TempFolder;
using tesk::testing::WriteFile;
using tools::CaptureFile;
using tools::UsbCaptureLayout;
namespace fs = std::filesystem;

constexpr std::uint16_t kSecondPrinter = 6;

Bytes JobOfBands(int bands) {
  return tools::BuildFixedLayoutJob(tools::MakeReceiptPicture(24, bands * 48), 48);
}

// The session of a second printer on the same bus, each packet `laterNs` after
// the first printer's packet in its place.
std::vector<UsbPacket> SecondPrinterSession(const Bytes& job, std::uint64_t laterNs) {
  std::vector<UsbPacket> packets = tools::MakePrinterSession(job, 500);
  for (UsbPacket& packet : packets) {
    if (packet.device == kPrinter) packet.device = kSecondPrinter;
    packet.timeNs += laterNs;
  }
  return packets;
}

struct RewriteCase {
  const char* name;
  UsbCaptureLayout layout;
  const char* command;  // {in} and {out} stand for the files
};

void PrintTo(const RewriteCase& rewrite, std::ostream* out) { *out << rewrite.name; }

class RewrittenCapture : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewrittenCapture, StillGivesTheFirstPrintersJob) {
  if (RunCommand("editcap -h >/dev/null 2>&1") != 0 || RunCommand("mergecap -h >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "editcap and mergecap (Wireshark's tools) are not installed";
  const RewriteCase& rewrite = GetParam();
  const Bytes job = JobOfBands(3);
  TempFolder folder;
  WriteFile(folder / "first", CaptureOf(rewrite.layout, tools::MakePrinterSession(job, 500)));
  WriteFile(folder / "second", CaptureOf(rewrite.layout, SecondPrinterSession(JobOfBands(2), 50000)));
  std::string command = rewrite.command;
  for (const char* name : {"first", "second", "out"}) {
    const std::string placeholder = "{" + std::string(name) + "}";
    for (std::size_t at; (at = command.find(placeholder)) != std::string::npos;)
      command.replace(at, placeholder.size(), "'" + (folder / name).string() + "'");
  }
  std::string output;
  ASSERT_EQ(RunCommand(command + " 2>&1", &output), 0) << command << "\n" << output;

  const Decoded decoded = Decode(ReadFile(folder / "out"));
  ASSERT_TRUE(decoded.result.jobFound);
  EXPECT_EQ(decoded.job, job);
  EXPECT_EQ(decoded.result.statistics.jobStream.device, kPrinter);
  EXPECT_EQ(decoded.result.statistics.gaps, 0u);
  EXPECT_FALSE(decoded.result.statistics.damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, RewrittenCapture,
    ::testing::Values(RewriteCase{"PcapToPcapNg",
                                  {.file = CaptureFile::Pcap, .linkType = 189},
                                  "editcap -F pcapng {first} {out}"},
                      RewriteCase{"PcapNgToNanosecondPcap",
                                  {.file = CaptureFile::PcapNg, .linkType = 220, .bigEndian = true},
                                  "editcap -F nsecpcap {first} {out}"},
                      RewriteCase{"UsbPcapWithPacketComments",
                                  {.file = CaptureFile::PcapNg, .linkType = 249},
                                  "editcap -a '1:plugged in' -a '9:first job transfer' {first} {out}"},
                      RewriteCase{"MergedWithASecondPrinter",
                                  {.file = CaptureFile::Pcap, .linkType = 220},
                                  "mergecap -F pcapng -w {out} {first} {second}"},
                      RewriteCase{"MergedUsbPcapFilesNamedTheOtherWayRound",
                                  {.file = CaptureFile::PcapNg, .linkType = 249},
                                  "mergecap -w {out} {second} {first}"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tesk::usbcap
