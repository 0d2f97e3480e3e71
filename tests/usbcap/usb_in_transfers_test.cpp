// What the printer sent back, listed beside the job: the IN transfers of the
// job's device, each placed after the job bytes submitted before it, in every
// record layout we read. The job itself is the same with or without the list.

#include <gtest/gtest.h>

#include "tests/usbcap/usb_capture_fixture.h"

namespace tesk::usbcap {
namespace {

using namespace testing;
using tesk::testing::HexBytes;
using tools::CaptureFile;
using tools::UsbCaptureLayout;

constexpr std::uint8_t kPrinterIn = 0x81;

// The printer's answer: usbmon completes the IN submission with the bytes,
// USBPcap writes them in a device-to-host record.
std::vector<UsbPacket> Answer(std::uint64_t urb, const Bytes& bytes, std::uint16_t device = kPrinter) {
  UsbPacket request = Submit(urb, {}, device, kPrinterIn);
  request.urbLength = 64;
  request.capturedLength = 0;
  request.flagData = '<';
  UsbPacket answer = Complete(urb, static_cast<std::uint32_t>(bytes.size()), 0, device, kPrinterIn);
  answer.data = bytes;
  answer.capturedLength = static_cast<std::uint32_t>(bytes.size());
  answer.flagData = 0;
  return {request, answer};
}

std::vector<UsbPacket> Session() {
  std::vector<UsbPacket> packets;
  const auto add = [&](std::vector<UsbPacket> more) {
    packets.insert(packets.end(), more.begin(), more.end());
  };
  add(Sent(1, HexBytes("1b40 100401")));  // ESC @, DLE EOT 1
  add(Answer(2, HexBytes("12")));         // online
  add(Answer(3, HexBytes("16"), 9));      // another device's answer: not the printer's
  add(Sent(4, HexBytes("1d7201 0a")));    // GS r 1, LF
  add(Answer(5, HexBytes("0c")));         // paper end
  for (std::size_t index = 0; index < packets.size(); ++index) packets[index].timeNs = 1000 * index;
  return packets;
}

struct LayoutCase {
  const char* name;
  UsbCaptureLayout layout;
};

class InTransfers : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(InTransfers, AreListedAfterTheBytesSentBeforeThem) {
  const Bytes file = CaptureOf(GetParam().layout, Session());
  const Decoded plain = Decode(file);
  std::vector<std::uint8_t> data(file.size());
  std::vector<UsbTransfer> transfers;
  std::vector<UsbInTransfer> answers;
  const UsbCaptureResult result = DecodeUsbCapture(file, data, &transfers, &answers);
  ASSERT_TRUE(result.jobFound);
  // The list changes nothing of the job.
  EXPECT_EQ(result.jobLength, plain.result.jobLength);
  EXPECT_EQ(Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(result.jobLength)), plain.job);
  EXPECT_EQ(plain.job, HexBytes("1b40 100401 1d7201 0a"));

  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].bytes, HexBytes("12"));
  EXPECT_EQ(answers[0].jobOffset, 5u);
  EXPECT_EQ(answers[0].length, 1u);
  EXPECT_EQ(answers[0].endpoint, kPrinterIn);
  EXPECT_EQ(answers[1].bytes, HexBytes("0c"));
  EXPECT_EQ(answers[1].jobOffset, 9u);
  // Each answer comes after the packet that carried its query.
  ASSERT_EQ(transfers.size(), 2u);
  EXPECT_GT(answers[0].frame, transfers[0].frame);
  EXPECT_LT(answers[0].frame, transfers[1].frame);
  EXPECT_GT(answers[1].frame, transfers[1].frame);
  EXPECT_GT(answers[1].seconds, answers[0].seconds);
}

INSTANTIATE_TEST_SUITE_P(Layouts, InTransfers,
                         ::testing::Values(LayoutCase{"PcapUsbmon", {CaptureFile::Pcap, 189}},
                                           LayoutCase{"PcapNgUsbmonMmapped", {CaptureFile::PcapNg, 220}},
                                           LayoutCase{"PcapNgBigEndian", {CaptureFile::PcapNg, 220, true}},
                                           LayoutCase{"PcapUsbPcap", {CaptureFile::Pcap, 249}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InTransferList, IsEmptyWithoutAJob) {
  std::vector<UsbPacket> packets = Answer(2, HexBytes("12"));
  const Bytes file = CaptureOf({}, packets);
  std::vector<std::uint8_t> data(file.size());
  std::vector<UsbInTransfer> answers;
  EXPECT_FALSE(DecodeUsbCapture(file, data, nullptr, &answers).jobFound);
  EXPECT_TRUE(answers.empty());
}

// A long answer is listed by its start, with its whole length.
TEST(InTransferList, KeepsTheStartOfALongAnswer) {
  std::vector<UsbPacket> packets = Sent(1, HexBytes("1b40"));
  const Bytes longAnswer(200, 0x55);
  const std::vector<UsbPacket> answer = Answer(2, longAnswer);
  packets.insert(packets.end(), answer.begin(), answer.end());
  const Bytes file = CaptureOf({}, packets);
  std::vector<std::uint8_t> data(file.size());
  std::vector<UsbInTransfer> answers;
  ASSERT_TRUE(DecodeUsbCapture(file, data, nullptr, &answers).jobFound);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].length, 200u);
  EXPECT_EQ(answers[0].bytes, Bytes(kInBytesListed, 0x55));
  EXPECT_EQ(answers[0].jobOffset, 2u);
}

}  // namespace
}  // namespace tesk::usbcap
