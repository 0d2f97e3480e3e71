// Which bytes of a USB capture form the job: the recognition of the file, the
// choice of the stream, and the submissions that do not count as sent.

#include <gtest/gtest.h>

#include "tests/usbcap/usb_capture_fixture.h"

namespace tesk::usbcap {
namespace {

using namespace testing;
using tesk::testing::HexBytes;
using tools::CaptureFile;
using tools::UsbCaptureLayout;

struct MagicCase {
  const char* name;
  Bytes bytes;
  bool capture;
};

class Magics : public ::testing::TestWithParam<MagicCase> {};

TEST_P(Magics, AreRecognisedByTheirFirstFourBytes) {
  EXPECT_EQ(LooksLikeUsbCapture(GetParam().bytes), GetParam().capture);
  const Decoded decoded = Decode(GetParam().bytes);
  EXPECT_EQ(decoded.result.isUsbCapture, GetParam().capture);
  EXPECT_FALSE(decoded.result.jobFound);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Magics,
    ::testing::Values(MagicCase{"PcapBigEndian", HexBytes("a1b2c3d4"), true},
                      MagicCase{"PcapLittleEndian", HexBytes("d4c3b2a1 0200"), true},
                      MagicCase{"PcapNanosecondsBigEndian", HexBytes("a1b23c4d"), true},
                      MagicCase{"PcapNanosecondsLittleEndian", HexBytes("4d3cb2a1"), true},
                      MagicCase{"PcapNgSection", HexBytes("0a0d0d0a 1c000000"), true},
                      MagicCase{"ThreeBytesOfAMagic", HexBytes("d4c3b2"), false},
                      MagicCase{"OtherPcapVariant", HexBytes("a1b2cd34"), false},
                      MagicCase{"RawJob", HexBytes("1b40 1d76"), false},
                      MagicCase{"ZipArchive", HexBytes("504b0304"), false}, MagicCase{"Empty", {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The pitfalls of usbmon: what the host submitted is not always what was sent.
struct PitfallCase {
  const char* name;
  std::vector<UsbPacket> packets;
  const char* job;
  std::uint64_t taken;
  std::uint64_t cut;
  std::uint64_t dropped;
  std::uint64_t gaps;
  std::uint64_t gapBytes;
};

void PrintTo(const PitfallCase& pitfall, std::ostream* out) { *out << pitfall.name; }

UsbPacket Truncated(UsbPacket packet, std::uint32_t urbLength, char flag = 0) {
  packet.urbLength = urbLength;
  packet.flagData = flag;
  return packet;
}

UsbPacket OnEndpoint(UsbPacket packet, std::uint8_t transferType, std::uint8_t endpoint) {
  packet.transferType = transferType;
  packet.endpoint = endpoint;
  return packet;
}

template <typename... Lists>
std::vector<UsbPacket> Packets(Lists... lists) {
  std::vector<UsbPacket> all;
  (all.insert(all.end(), lists.begin(), lists.end()), ...);
  return all;
}

std::vector<UsbPacket> One(UsbPacket packet) { return {std::move(packet)}; }

class Pitfalls : public ::testing::TestWithParam<PitfallCase> {};

TEST_P(Pitfalls, TakeOnlyWhatWasSent) {
  const PitfallCase& pitfall = GetParam();
  const Decoded decoded = Decode(CaptureOf({.file = CaptureFile::PcapNg, .linkType = 220}, pitfall.packets));
  ASSERT_TRUE(decoded.result.jobFound);
  EXPECT_EQ(tesk::testing::HexBytes(pitfall.job), decoded.job);
  const UsbCaptureStatistics& statistics = decoded.result.statistics;
  EXPECT_EQ(statistics.transfersTaken, pitfall.taken);
  EXPECT_EQ(statistics.transfersCut, pitfall.cut);
  EXPECT_EQ(statistics.transfersDropped, pitfall.dropped);
  EXPECT_EQ(statistics.gaps, pitfall.gaps);
  EXPECT_EQ(statistics.gapBytes, pitfall.gapBytes);
  EXPECT_EQ(decoded.transfers.size(), pitfall.taken);
  EXPECT_TRUE(decoded.tailIsZero);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Pitfalls,
    ::testing::Values(
        PitfallCase{"SubmitThenErrorIsNeverSent",
                    Packets(One(Submit(1, HexBytes("1b40aa"))), One(Error(1)), Sent(2, HexBytes("1b40bb"))),
                    "1b40bb", 1, 0, 1, 0, 0},
        PitfallCase{"ErrorInTheMiddleDropsThatUrbOnly",
                    Packets(Sent(1, HexBytes("1b4001")), One(Submit(2, HexBytes("0202"))), One(Error(2)),
                            Sent(3, HexBytes("03"))),
                    "1b4001 03", 2, 0, 1, 0, 0},
        PitfallCase{"CompletionWithErrorCutsToItsLength",
                    Packets(One(Submit(1, HexBytes("1b40 0102 0304"))), One(Complete(1, 3, -2)),
                            Sent(2, HexBytes("05"))),
                    "1b4001 05", 2, 1, 0, 0, 0},
        PitfallCase{"CompletionWithErrorAndNoBytesSentNothing",
                    Packets(One(Submit(1, HexBytes("1b4000"))), One(Complete(1, 0, -32)),
                            Sent(2, HexBytes("1b4011"))),
                    "1b4011", 1, 0, 1, 0, 0},
        PitfallCase{"CapturedLengthBelowUrbLengthLeavesAGap",
                    Packets(One(Truncated(Submit(1, HexBytes("1b400102")), 10)), One(Complete(1, 10)),
                            Sent(2, HexBytes("03"))),
                    "1b400102 03", 2, 0, 0, 1, 6},
        PitfallCase{"FlagDataZHoldsNoBytes",
                    Packets(Sent(1, HexBytes("1b4001")), One(Truncated(Submit(2, {}), 100, 'Z')),
                            One(Complete(2, 100)), Sent(3, HexBytes("05"))),
                    "1b4001 05", 3, 0, 0, 1, 100},
        PitfallCase{"FlagDataIsNotConsultedWhenBytesArePresent",
                    Packets(One(Truncated(Submit(1, HexBytes("1b4001")), 3, '<')), One(Complete(1, 3))),
                    "1b4001", 1, 0, 0, 0, 0},
        PitfallCase{"ZeroLengthPacketFirst", Packets(Sent(1, {}), Sent(2, HexBytes("1b4001")), Sent(3, {})),
                    "1b4001", 1, 0, 0, 0, 0},
        PitfallCase{"QueuedUrbsCompletedOutOfOrderKeepFileOrder",
                    Packets(One(Submit(1, HexBytes("1b4001"))), One(Submit(2, HexBytes("02"))),
                            One(Complete(2, 1)), One(Complete(1, 3))),
                    "1b4001 02", 2, 0, 0, 0, 0},
        PitfallCase{"UrbWithoutCompletionIsTakenAsSubmitted",
                    Packets(Sent(1, HexBytes("1b4001")), One(Submit(2, HexBytes("02")))), "1b4001 02", 2, 0,
                    0, 0, 0},
        PitfallCase{"ReusedUrbIdEndsTheWaitOfTheFirst",
                    Packets(One(Submit(9, HexBytes("1b4001"))), One(Submit(9, HexBytes("02"))),
                            One(Error(9))),
                    "1b4001", 1, 0, 1, 0, 0},
        PitfallCase{"DataInACompletionAreNotSent",
                    Packets(Sent(1, HexBytes("1b4001")),
                            [] {
                              UsbPacket complete = Complete(2, 2);
                              complete.data = HexBytes("eeee");
                              return std::vector<UsbPacket>{Submit(2, HexBytes("02")), complete};
                            }()),
                    "1b4001 02", 2, 0, 0, 0, 0},
        PitfallCase{"BulkInAndInterruptOutAreNotTheJob",
                    Packets(One(OnEndpoint(Submit(1, HexBytes("1b40ff")), 3, 0x81)),
                            One(OnEndpoint(Submit(2, HexBytes("1b40fe")), 1, 0x03)),
                            Sent(3, HexBytes("1b4001"))),
                    "1b4001", 1, 0, 0, 0, 0},
        PitfallCase{"DecoyStreamFirstDoesNotBlockTheJob",
                    Packets(Sent(1, HexBytes("4142"), 7), Sent(2, HexBytes("1b4001")),
                            Sent(3, HexBytes("1b40dd"), 7), Sent(4, HexBytes("02"))),
                    "1b4001 02", 2, 0, 0, 0, 0},
        PitfallCase{
            "StreamJudgedByItsFirstPayloadReallySent",
            // Device 5's first submission fails; its first payload sent is 41 42, so device 6 holds the job.
            Packets(One(Submit(1, HexBytes("1b4001"))), One(Submit(2, HexBytes("4142"))), One(Error(1)),
                    One(Complete(2, 2)), Sent(3, HexBytes("1b4099"), 6), Sent(4, HexBytes("1b40")),
                    Sent(5, HexBytes("07"), 6)),
            "1b4099 07", 2, 0, 0, 0, 0},
        // Hosts ask for the printer's status (DLE EOT, GS r), and switch on its
        // automatic status (GS a), before the job: in transfers of their own or
        // at the front of the job's first one. The job begins after them.
        PitfallCase{"StatusRequestsInTransfersOfTheirOwn",
                    Packets(Sent(1, HexBytes("100401")), Sent(2, HexBytes("100404 1d7201")),
                            Sent(3, HexBytes("1b4001")), Sent(4, HexBytes("100401"))),
                    "1b4001 100401", 2, 0, 0, 0, 0},
        PitfallCase{"StatusRequestsAtTheFrontOfTheJob",
                    Packets(Sent(1, HexBytes("1d610f 100402 1b4001")), Sent(2, HexBytes("02"))), "1b4001 02",
                    2, 0, 0, 0, 0},
        PitfallCase{"StatusRequestsOnAnotherStreamFirst",
                    Packets(Sent(1, HexBytes("100401"), 6), Sent(2, HexBytes("100401 1b4001"))), "1b4001", 1,
                    0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UsbCaptureStreams, InterfacesAreKeptApart) {
  // Both interfaces see bus 1, device 5, endpoint 2, with the same URB ids;
  // only the second one's stream begins with ESC @.
  UsbCaptureLayout layout{.file = CaptureFile::PcapNg, .linkType = 220};
  tools::UsbCaptureWriter writer(layout);
  ASSERT_EQ(writer.AddInterface(220), 1u);
  UsbPacket secondOnOne = Submit(2, HexBytes("02"));
  secondOnOne.interface = 1;
  UsbPacket secondDoneOnOne = Complete(2, 1);
  secondDoneOnOne.interface = 1;
  // Interface 0's URB 2 fails between the submission and the completion of
  // interface 1's URB 2.
  writer.Add(Packets(Sent(1, HexBytes("4142"), kPrinter, 0), Sent(1, HexBytes("1b4001"), kPrinter, 1),
                     One(Submit(2, HexBytes("4142"))), One(secondOnOne), One(Error(2)), One(secondDoneOnOne),
                     Sent(3, HexBytes("1b40cc"), kPrinter, 0)));
  const Decoded decoded = Decode(writer.Bytes());
  ASSERT_TRUE(decoded.result.jobFound);
  EXPECT_EQ(decoded.job, HexBytes("1b4001 02"));
  EXPECT_EQ(decoded.result.statistics.jobStream, (UsbStreamKey{1, 1, kPrinter, kPrinterOut}));
  EXPECT_EQ(decoded.result.statistics.bulkOutStreams, 2u);
  EXPECT_EQ(decoded.result.statistics.interfaces, 2u);
}

TEST(UsbCaptureStreams, SectionsOfBothByteOrdersAndLinkTypes) {
  UsbCaptureLayout layout{.file = CaptureFile::PcapNg, .linkType = 189, .bigEndian = true};
  tools::UsbCaptureWriter writer(layout);
  writer.Add(Sent(1, HexBytes("4142"), 7));
  writer.StartSection(false);
  writer.AddInterface(249);
  writer.Add(Sent(2, HexBytes("1b4001")));
  writer.AddBlock(4, HexBytes("0000 0000"));               // name resolution: skipped
  writer.AddBlock(0x0BAD, HexBytes("01020304 05060708"));  // custom: skipped
  writer.Add(Sent(3, HexBytes("02")));
  const Decoded decoded = Decode(writer.Bytes());
  ASSERT_TRUE(decoded.result.jobFound);
  EXPECT_EQ(decoded.job, HexBytes("1b4001 02"));
  const UsbCaptureStatistics& statistics = decoded.result.statistics;
  EXPECT_EQ(statistics.jobStream.interfaceId, 1u);
  EXPECT_EQ(statistics.linkTypes, (std::vector<std::uint16_t>{189, 249}));
  EXPECT_TRUE(statistics.bigEndian);
  EXPECT_FALSE(statistics.damaged);
}

struct NoJobCase {
  const char* name;
  Bytes file;
};

class NoJob : public ::testing::TestWithParam<NoJobCase> {};

TEST_P(NoJob, IsACaptureWithoutAJob) {
  const Decoded decoded = Decode(GetParam().file);
  EXPECT_TRUE(decoded.result.isUsbCapture);
  EXPECT_FALSE(decoded.result.jobFound);
  EXPECT_EQ(decoded.result.jobLength, 0u);
  EXPECT_TRUE(decoded.tailIsZero);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NoJob,
    ::testing::Values(
        NoJobCase{"EthernetLinkType",
                  CaptureOf({.file = CaptureFile::Pcap, .linkType = 1}, Sent(1, HexBytes("1b4001")))},
        NoJobCase{"NoPackets", CaptureOf({.file = CaptureFile::PcapNg}, {})},
        NoJobCase{"OnlyADecoy",
                  CaptureOf({}, Packets(Sent(1, HexBytes("4142")), Sent(2, HexBytes("1b4001"))))},
        // The only payload beginning with ESC @ was never sent.
        NoJobCase{"OnlyAFailedJob",
                  CaptureOf({}, Packets(One(Submit(1, HexBytes("1b4001"))), One(Error(1))))},
        NoJobCase{"StatusRequestsThenNoJob",
                  CaptureOf({}, Packets(Sent(1, HexBytes("100401")), Sent(2, HexBytes("4142 1b40"))))},
        NoJobCase{"OnlyStatusRequests",
                  CaptureOf({}, Packets(Sent(1, HexBytes("100401")), Sent(2, HexBytes("1d7201"))))},
        NoJobCase{"EscAtSplitOverTwoUrbs",
                  CaptureOf({}, Packets(Sent(1, HexBytes("1b")), Sent(2, HexBytes("4001"))))},
        NoJobCase{"PcapHeaderCutOff", HexBytes("d4c3b2a1 02000400 0000")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UsbCaptureData, NeverWritesPastTheRoomGiven) {
  const Bytes file = CaptureOf({}, Packets(Sent(1, HexBytes("1b400102")), Sent(2, HexBytes("0304"))));
  std::vector<std::uint8_t> data(5, 0);
  const UsbCaptureResult result = DecodeUsbCapture(file, std::span<std::uint8_t>(data.data(), 3));
  EXPECT_EQ(result.jobLength, 3u);
  EXPECT_EQ(data, HexBytes("1b4001 0000"));
  EXPECT_EQ(result.statistics.gapBytes, 3u);
}

}  // namespace
}  // namespace tesk::usbcap
