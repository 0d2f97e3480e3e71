// Captures that lie about their lengths: the reading ends at the last whole
// record, or skips the one record whose inside is inconsistent, and never
// reads outside the file (the sanitizer build checks that).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/little_endian.h"
#include "tests/usbcap/usb_capture_fixture.h"

namespace tesk::usbcap {
namespace {

using namespace testing;
using tesk::testing::HexBytes;
using tools::CaptureFile;
using tools::UsbCaptureLayout;

const Bytes kFirst = HexBytes("1b40 0101 0101");
const Bytes kSecond = HexBytes("0202 0202 0202 0202");
const Bytes kThird = HexBytes("0303 0303");

// Three URBs of the job, each submitted and completed; the records (after any
// interface block) are S1 C1 S2 C2 S3 C3.
tools::UsbCaptureWriter ThreeUrbs(CaptureFile file) {
  tools::UsbCaptureWriter writer(UsbCaptureLayout{.file = file, .linkType = 220});
  std::vector<UsbPacket> packets;
  for (const auto& [urb, data] : {std::pair{1, kFirst}, std::pair{2, kSecond}, std::pair{3, kThird}}) {
    const std::vector<UsbPacket> sent = Sent(static_cast<std::uint64_t>(urb), data);
    packets.insert(packets.end(), sent.begin(), sent.end());
  }
  writer.Add(packets);
  return writer;
}

struct Damage {
  Bytes file;
  std::size_t damagedAt;  // where the reading should end, when it should
};

// Offset of the submission of the third URB.
std::size_t ThirdSubmission(const tools::UsbCaptureWriter& writer) {
  return writer.RecordOffsets()[writer.RecordOffsets().size() - 2];
}

void PutField(Bytes& file, std::size_t offset, std::uint32_t value) {
  platform::PutLe32(file.data() + offset, value);
}

struct HostileCase {
  const char* name;
  CaptureFile container;
  std::function<Damage(const tools::UsbCaptureWriter&)> damage;
  bool ends;  // the reading ends there, rather than skipping one record
  Bytes job;
  std::uint64_t gapBytes;
};

void PrintTo(const HostileCase& hostile, std::ostream* out) { *out << hostile.name; }

Damage Patched(const tools::UsbCaptureWriter& writer, std::size_t fieldOffset, std::uint32_t value) {
  Damage damage{writer.Bytes(), ThirdSubmission(writer)};
  PutField(damage.file, damage.damagedAt + fieldOffset, value);
  return damage;
}

Damage CutAt(const tools::UsbCaptureWriter& writer, std::size_t intoThird) {
  const std::size_t at = ThirdSubmission(writer);
  return {Bytes(writer.Bytes().begin(), writer.Bytes().begin() + static_cast<std::ptrdiff_t>(at + intoThird)),
          at};
}

// Offsets inside an enhanced packet block: its length, its captured length, and
// the usbmon record's fields that follow at 28.
constexpr std::size_t kBlockLength = 4;
constexpr std::size_t kEnhancedCapturedLength = 20;
constexpr std::size_t kEnhancedUsbRecord = 28;
// Inside a pcap record: its captured length; the usbmon record follows at 16.
constexpr std::size_t kPcapCapturedLength = 8;
constexpr std::size_t kPcapUsbRecord = 16;
constexpr std::size_t kUsbmonCapturedLength = 36;
constexpr std::size_t kUsbmonDescriptorCount = 60;

class HostileContainers : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileContainers, EndAtTheLastWholeRecord) {
  const HostileCase& hostile = GetParam();
  const tools::UsbCaptureWriter writer = ThreeUrbs(hostile.container);
  const Damage damage = hostile.damage(writer);
  const Decoded decoded = Decode(damage.file);
  ASSERT_TRUE(decoded.result.isUsbCapture);
  ASSERT_TRUE(decoded.result.jobFound);
  EXPECT_EQ(decoded.job, hostile.job);
  EXPECT_TRUE(decoded.tailIsZero);
  EXPECT_EQ(decoded.result.statistics.damaged, hostile.ends);
  if (hostile.ends) {
    EXPECT_EQ(decoded.result.statistics.damagedAt, damage.damagedAt);
  }
  EXPECT_EQ(decoded.result.statistics.gapBytes, hostile.gapBytes);
}

const Bytes kFirstTwo = Concatenate({kFirst, kSecond});
const Bytes kAllThree = Concatenate({kFirst, kSecond, kThird});

INSTANTIATE_TEST_SUITE_P(
    Table, HostileContainers,
    ::testing::Values(
        HostileCase{"PcapRecordLongerThanTheFile", CaptureFile::Pcap,
                    [](const auto& writer) { return Patched(writer, kPcapCapturedLength, 0xFFFFFFF0); }, true,
                    kFirstTwo, 0},
        HostileCase{"PcapRecordCutOff", CaptureFile::Pcap,
                    [](const auto& writer) { return CutAt(writer, 40); }, true, kFirstTwo, 0},
        HostileCase{"PcapRecordHeaderCutOff", CaptureFile::Pcap,
                    [](const auto& writer) { return CutAt(writer, 5); }, true, kFirstTwo, 0},
        HostileCase{"PcapNgBlockLongerThanTheFile", CaptureFile::PcapNg,
                    [](const auto& writer) { return Patched(writer, kBlockLength, 0x7FFFFFF0); }, true,
                    kFirstTwo, 0},
        HostileCase{"PcapNgBlockShorterThanTwelve", CaptureFile::PcapNg,
                    [](const auto& writer) { return Patched(writer, kBlockLength, 8); }, true, kFirstTwo, 0},
        HostileCase{"PcapNgBlockOfZeroLength", CaptureFile::PcapNg,
                    [](const auto& writer) { return Patched(writer, kBlockLength, 0); }, true, kFirstTwo, 0},
        HostileCase{"PcapNgBlockLengthNotAMultipleOfFour", CaptureFile::PcapNg,
                    [](const auto& writer) { return Patched(writer, kBlockLength, 30); }, true, kFirstTwo, 0},
        HostileCase{"PcapNgBlockCutOff", CaptureFile::PcapNg,
                    [](const auto& writer) { return CutAt(writer, 50); }, true, kFirstTwo, 0},
        HostileCase{"PcapNgBlockHeaderCutOff", CaptureFile::PcapNg,
                    [](const auto& writer) { return CutAt(writer, 7); }, true, kFirstTwo, 0},
        HostileCase{"PcapNgSectionWithUnknownByteOrder", CaptureFile::PcapNg,
                    [](const auto& writer) {
                      Damage damage{writer.Bytes(), ThirdSubmission(writer)};
                      const Bytes section =
                          HexBytes("0a0d0d0a 1c000000 11223344 0100 0000 ffffffffffffffff 1c000000");
                      damage.file.insert(damage.file.begin() + static_cast<std::ptrdiff_t>(damage.damagedAt),
                                         section.begin(), section.end());
                      return damage;
                    },
                    true, kFirstTwo, 0},
        // The block itself is whole, so only its packet is lost.
        HostileCase{"PcapNgPacketLongerThanItsBlock", CaptureFile::PcapNg,
                    [](const auto& writer) { return Patched(writer, kEnhancedCapturedLength, 0xFFFFFF00); },
                    false, kFirstTwo, 0},
        HostileCase{"UsbmonCapturedLengthBeyondTheRecord", CaptureFile::Pcap,
                    [](const auto& writer) {
                      return Patched(writer, kPcapUsbRecord + kUsbmonCapturedLength, 0xFFFFFFFF);
                    },
                    false, kAllThree, 0},
        HostileCase{"UsbmonHugeDescriptorCount", CaptureFile::PcapNg,
                    [](const auto& writer) {
                      return Patched(writer, kEnhancedUsbRecord + kUsbmonDescriptorCount, 0xFFFFFFFF);
                    },
                    false, kFirstTwo, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileCaptures, EveryCutOfTheFileGivesAPrefixOfTheJob) {
  for (const CaptureFile container : {CaptureFile::Pcap, CaptureFile::PcapNg}) {
    const tools::UsbCaptureWriter writer = ThreeUrbs(container);
    const Bytes& whole = writer.Bytes();
    const std::vector<std::size_t>& starts = writer.RecordOffsets();
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      const Decoded decoded =
          Decode(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
      ASSERT_LE(decoded.job.size(), kAllThree.size());
      EXPECT_TRUE(std::equal(decoded.job.begin(), decoded.job.end(), kAllThree.begin())) << length;
      // A cut between two records leaves a whole, shorter capture.
      const bool betweenRecords =
          length == whole.size() || std::find(starts.begin(), starts.end(), length) != starts.end();
      EXPECT_EQ(decoded.result.statistics.damaged, length >= 4 && !betweenRecords) << length;
    }
  }
}

TEST(HostileCaptures, UsbPcapHeaderLengthBeyondTheRecordSkipsThatRecord) {
  tools::UsbCaptureWriter writer(UsbCaptureLayout{.file = CaptureFile::Pcap, .linkType = 249});
  writer.Add(Sent(1, kFirst));
  writer.Add(Sent(2, kSecond));
  Bytes file = writer.Bytes();
  const std::size_t second = writer.RecordOffsets()[2];
  platform::PutLe16(file.data() + second + kPcapUsbRecord, 0xFFFF);
  const Decoded decoded = Decode(file);
  EXPECT_EQ(decoded.job, kFirst);
  EXPECT_EQ(decoded.result.statistics.gapBytes, kSecond.size());
  EXPECT_FALSE(decoded.result.statistics.damaged);
}

}  // namespace
}  // namespace tesk::usbcap
