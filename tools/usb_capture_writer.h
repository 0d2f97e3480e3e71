#pragma once
// Writes USB packet captures of our own for the tests, the fuzz seeds and the
// benchmarks: pcap and pcapng files (either byte order, microsecond or
// nanosecond time stamps, enhanced or simple packet blocks) holding Linux
// usbmon records (link types 189 and 220) or USBPcap records (249).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tesk::tools {

enum class CaptureFile { Pcap, PcapNg };

struct UsbCaptureLayout {
  CaptureFile file = CaptureFile::PcapNg;
  std::uint16_t linkType = 220;  // 189, 220 or 249 (others are written as given)
  bool bigEndian = false;
  bool nanoseconds = false;      // pcap: the nanosecond magic; pcapng: if_tsresol 9
  bool simplePackets = false;    // pcapng: simple packet blocks for interface 0
  std::uint32_t snapLength = 0;  // packets longer than this are cut; 0 keeps them whole
};

// One URB event. For USBPcap, 'S' is a host-to-device record and 'C' a
// device-to-host one; 'E' has no counterpart there.
struct UsbPacket {
  char event = 'S';
  std::uint8_t transferType = 3;  // 0 iso, 1 interrupt, 2 control, 3 bulk
  std::uint8_t endpoint = 0x01;   // bit 7 set for IN
  std::uint16_t device = 1;
  std::uint16_t bus = 1;
  std::uint64_t urbId = 0;
  std::int32_t status = 0;
  std::optional<std::uint32_t> urbLength{};  // usbmon `length`; default data.size()
  std::optional<std::uint32_t>
      capturedLength{};               // usbmon `len_cap`, USBPcap `dataLength`; default data.size()
  char flagData = 0;                  // usbmon; 0 when data follow
  std::uint32_t isoDescriptors = 0;   // link type 220: zeroed descriptors before the data
  std::vector<std::uint8_t> setup{};  // control submissions: the 8 setup bytes
  std::vector<std::uint8_t> data{};
  std::uint64_t timeNs = 0;     // nanoseconds since 1970
  std::uint32_t interface = 0;  // pcapng: interface index within its section
};

// The USB record alone, as its link type lays it out.
std::vector<std::uint8_t> UsbmonRecord(const UsbPacket& packet, bool mmapped, bool bigEndian);
std::vector<std::uint8_t> UsbPcapRecord(const UsbPacket& packet);

class UsbCaptureWriter {
 public:
  // Writes the file header (pcapng: a section header and interface 0).
  explicit UsbCaptureWriter(const UsbCaptureLayout& layout);

  // pcapng: another interface in the current section; returns its index.
  std::uint32_t AddInterface(std::uint16_t linkType);
  // pcapng: a new section in the given byte order, with no interfaces yet.
  void StartSection(bool bigEndian);
  // A packet record holding the packet in its interface's link type.
  void Add(const UsbPacket& packet);
  void Add(const std::vector<UsbPacket>& packets);
  // pcapng: a block of any type, for blocks that readers skip.
  void AddBlock(std::uint32_t type, const std::vector<std::uint8_t>& body);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // Where each record or block after the file header starts, in order.
  const std::vector<std::size_t>& RecordOffsets() const { return recordOffsets_; }

 private:
  std::vector<std::uint8_t> RecordOf(const UsbPacket& packet, std::uint16_t linkType) const;

  UsbCaptureLayout layout_;
  std::vector<std::uint16_t> interfaceLinkTypes_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> recordOffsets_;
};

// A printer's session as a host driver makes it: the job goes to device 5's
// bulk OUT endpoint 0x02 on bus 1 in URBs of `urbSize` bytes, each submitted
// and completed, interleaved with control transfers to the printer, a bulk IN
// submission that never completes, and a second device's bulk OUT whose data do
// not begin with ESC @.
std::vector<UsbPacket> MakePrinterSession(std::span<const std::uint8_t> job, std::size_t urbSize);

}  // namespace tesk::tools
