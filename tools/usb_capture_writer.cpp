#include "tools/usb_capture_writer.h"

#include <algorithm>

namespace tesk::tools {
namespace {

constexpr std::uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceBlock = 1;
constexpr std::uint32_t kSimplePacketBlock = 3;
constexpr std::uint32_t kEnhancedPacketBlock = 6;
constexpr std::uint32_t kPcapDefaultSnapLength = 262144;

// GCC 12 at -O3 reports a write past a std::vector that insert has just grown
// (its -Wstringop-overflow / -Warray-bounds false positive); later compilers do not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
// Appends numbers in one byte order; the one place where fields become bytes.
class ByteSink {
 public:
  ByteSink(std::vector<std::uint8_t>& out, bool bigEndian) : out_(out), bigEndian_(bigEndian) {}

  void U8(std::uint8_t value) { out_.push_back(value); }
  void U16(std::uint16_t value) { Number(value, 2); }
  void U32(std::uint32_t value) { Number(value, 4); }
  void U64(std::uint64_t value) { Number(value, 8); }
  void Append(std::span<const std::uint8_t> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
  void Zeros(std::size_t count) { out_.insert(out_.end(), count, 0); }
  void PadToFour() { Zeros((4 - out_.size() % 4) % 4); }

 private:
  void Number(std::uint64_t value, int width) {
    for (int index = 0; index < width; ++index) {
      const int shift = 8 * (bigEndian_ ? width - 1 - index : index);
      out_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }

  std::vector<std::uint8_t>& out_;
  bool bigEndian_;
};
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

std::uint16_t UsbPcapFunction(std::uint8_t transferType) {
  switch (transferType) {
    case 0: return 0x000A;   // isochronous transfer
    case 2: return 0x0008;   // control transfer
    default: return 0x0009;  // bulk or interrupt transfer
  }
}

// pcapng blocks carry their length before and after the body.
void AppendBlock(std::vector<std::uint8_t>& out, bool bigEndian, std::uint32_t type,
                 const std::vector<std::uint8_t>& body) {
  ByteSink sink(out, bigEndian);
  const auto length = static_cast<std::uint32_t>(12 + (body.size() + 3) / 4 * 4);
  sink.U32(type);
  sink.U32(length);
  sink.Append(body);
  sink.PadToFour();
  sink.U32(length);
}

}  // namespace

std::vector<std::uint8_t> UsbmonRecord(const UsbPacket& packet, bool mmapped, bool bigEndian) {
  std::vector<std::uint8_t> record;
  ByteSink sink(record, bigEndian);
  const auto dataLength = static_cast<std::uint32_t>(packet.data.size());
  sink.U64(packet.urbId);
  sink.U8(static_cast<std::uint8_t>(packet.event));
  sink.U8(packet.transferType);
  sink.U8(packet.endpoint);
  sink.U8(static_cast<std::uint8_t>(packet.device));
  sink.U16(packet.bus);
  sink.U8(packet.setup.empty() ? '-' : 0);  // flag_setup: 0 when the setup bytes are valid
  sink.U8(static_cast<std::uint8_t>(packet.flagData));
  sink.U64(packet.timeNs / 1000000000);
  sink.U32(static_cast<std::uint32_t>(packet.timeNs / 1000 % 1000000));
  sink.U32(static_cast<std::uint32_t>(packet.status));
  sink.U32(packet.urbLength.value_or(dataLength));
  sink.U32(packet.capturedLength.value_or(dataLength));
  std::vector<std::uint8_t> setup = packet.setup;
  setup.resize(8, 0);
  sink.Append(setup);
  if (mmapped) {
    sink.U32(0);  // interval
    sink.U32(0);  // start_frame
    sink.U32(0);  // xfer_flags
    sink.U32(packet.isoDescriptors);
    sink.Zeros(16 * std::size_t{packet.isoDescriptors});
  }
  sink.Append(packet.data);
  return record;
}

std::vector<std::uint8_t> UsbPcapRecord(const UsbPacket& packet) {
  std::vector<std::uint8_t> record;
  ByteSink sink(record, false);  // USBPcap is little-endian on every file
  const bool control = packet.transferType == 2;
  sink.U16(control ? 28 : 27);
  sink.U64(packet.urbId);
  sink.U32(static_cast<std::uint32_t>(packet.status));
  sink.U16(UsbPcapFunction(packet.transferType));
  sink.U8(packet.event == 'S' ? 0 : 1);  // info bit 0: device to host
  sink.U16(packet.bus);
  sink.U16(packet.device);
  sink.U8(packet.endpoint);
  sink.U8(packet.transferType);
  const std::vector<std::uint8_t>& data = control && !packet.setup.empty() ? packet.setup : packet.data;
  sink.U32(packet.capturedLength.value_or(static_cast<std::uint32_t>(data.size())));
  if (control) sink.U8(packet.setup.empty() ? 1 : 0);  // stage: setup, or data
  sink.Append(data);
  return record;
}

UsbCaptureWriter::UsbCaptureWriter(const UsbCaptureLayout& layout) : layout_(layout) {
  if (layout.file == CaptureFile::Pcap) {
    ByteSink sink(bytes_, layout.bigEndian);
    sink.U32(layout.nanoseconds ? 0xA1B23C4D : 0xA1B2C3D4);
    sink.U16(2);
    sink.U16(4);
    sink.U32(0);  // time zone
    sink.U32(0);  // accuracy
    sink.U32(layout.snapLength != 0 ? layout.snapLength : kPcapDefaultSnapLength);
    sink.U32(layout.linkType);
    interfaceLinkTypes_.push_back(layout.linkType);
    return;
  }
  StartSection(layout.bigEndian);
  AddInterface(layout.linkType);
}

void UsbCaptureWriter::StartSection(bool bigEndian) {
  layout_.bigEndian = bigEndian;
  interfaceLinkTypes_.clear();
  std::vector<std::uint8_t> body;
  ByteSink sink(body, bigEndian);
  sink.U32(0x1A2B3C4D);
  sink.U16(1);
  sink.U16(0);
  sink.U64(~std::uint64_t{0});  // section length not given
  AppendBlock(bytes_, bigEndian, kSectionHeaderBlock, body);
}

std::uint32_t UsbCaptureWriter::AddInterface(std::uint16_t linkType) {
  std::vector<std::uint8_t> body;
  ByteSink sink(body, layout_.bigEndian);
  sink.U16(linkType);
  sink.U16(0);
  sink.U32(layout_.snapLength);
  if (layout_.nanoseconds) {
    sink.U16(9);  // if_tsresol
    sink.U16(1);
    sink.U8(9);
    sink.PadToFour();
  }
  sink.U16(0);  // end of options
  sink.U16(0);
  recordOffsets_.push_back(bytes_.size());
  AppendBlock(bytes_, layout_.bigEndian, kInterfaceBlock, body);
  interfaceLinkTypes_.push_back(linkType);
  return static_cast<std::uint32_t>(interfaceLinkTypes_.size() - 1);
}

std::vector<std::uint8_t> UsbCaptureWriter::RecordOf(const UsbPacket& packet, std::uint16_t linkType) const {
  if (linkType == 249) return UsbPcapRecord(packet);
  return UsbmonRecord(packet, linkType == 220, layout_.bigEndian);
}

void UsbCaptureWriter::Add(const UsbPacket& packet) {
  const std::uint16_t linkType = packet.interface < interfaceLinkTypes_.size()
                                     ? interfaceLinkTypes_[packet.interface]
                                     : layout_.linkType;
  const std::vector<std::uint8_t> record = RecordOf(packet, linkType);
  const std::size_t captured =
      layout_.snapLength != 0 ? std::min<std::size_t>(record.size(), layout_.snapLength) : record.size();
  const std::span<const std::uint8_t> kept(record.data(), captured);
  recordOffsets_.push_back(bytes_.size());

  if (layout_.file == CaptureFile::Pcap) {
    ByteSink sink(bytes_, layout_.bigEndian);
    sink.U32(static_cast<std::uint32_t>(packet.timeNs / 1000000000));
    const std::uint64_t fraction = packet.timeNs % 1000000000;
    sink.U32(static_cast<std::uint32_t>(layout_.nanoseconds ? fraction : fraction / 1000));
    sink.U32(static_cast<std::uint32_t>(captured));
    sink.U32(static_cast<std::uint32_t>(record.size()));
    sink.Append(kept);
    return;
  }

  std::vector<std::uint8_t> body;
  ByteSink sink(body, layout_.bigEndian);
  if (layout_.simplePackets && packet.interface == 0) {
    sink.U32(static_cast<std::uint32_t>(record.size()));
    sink.Append(kept);
    AppendBlock(bytes_, layout_.bigEndian, kSimplePacketBlock, body);
    return;
  }
  const std::uint64_t stamp = layout_.nanoseconds ? packet.timeNs : packet.timeNs / 1000;
  sink.U32(packet.interface);
  sink.U32(static_cast<std::uint32_t>(stamp >> 32));
  sink.U32(static_cast<std::uint32_t>(stamp));
  sink.U32(static_cast<std::uint32_t>(captured));
  sink.U32(static_cast<std::uint32_t>(record.size()));
  sink.Append(kept);
  AppendBlock(bytes_, layout_.bigEndian, kEnhancedPacketBlock, body);
}

void UsbCaptureWriter::Add(const std::vector<UsbPacket>& packets) {
  for (const UsbPacket& packet : packets) Add(packet);
}

void UsbCaptureWriter::AddBlock(std::uint32_t type, const std::vector<std::uint8_t>& body) {
  recordOffsets_.push_back(bytes_.size());
  AppendBlock(bytes_, layout_.bigEndian, type, body);
}

std::vector<UsbPacket> MakePrinterSession(std::span<const std::uint8_t> job, std::size_t urbSize) {
  constexpr std::uint16_t kPrinter = 5;
  constexpr std::uint16_t kOtherDevice = 7;
  constexpr std::int32_t kInProgress = -115;
  std::vector<UsbPacket> packets;
  std::uint64_t timeNs = 1700000000ULL * 1000000000ULL;
  std::uint64_t nextUrb = 0xFFFF888012340000ULL;
  auto add = [&](UsbPacket packet) {
    timeNs += 125001;  // not a whole number of microseconds, so the two time units differ
    packet.timeNs = timeNs;
    packets.push_back(std::move(packet));
  };
  auto control = [&](std::uint16_t device, std::vector<std::uint8_t> setup, std::vector<std::uint8_t> reply) {
    const std::uint64_t urb = nextUrb += 0x40;
    UsbPacket submit{.event = 'S', .transferType = 2, .endpoint = 0x80, .device = device, .urbId = urb};
    submit.status = kInProgress;
    submit.urbLength = static_cast<std::uint32_t>(reply.size());
    submit.capturedLength = 0;
    submit.flagData = '<';
    submit.setup = std::move(setup);
    add(submit);
    UsbPacket complete{.event = 'C', .transferType = 2, .endpoint = 0x80, .device = device, .urbId = urb};
    complete.data = std::move(reply);
    add(complete);
  };
  auto bulkOut = [&](std::uint16_t device, std::uint8_t endpoint, std::span<const std::uint8_t> bytes) {
    const std::uint64_t urb = nextUrb += 0x40;
    UsbPacket submit{.event = 'S', .transferType = 3, .endpoint = endpoint, .device = device, .urbId = urb};
    submit.status = kInProgress;
    submit.data.assign(bytes.begin(), bytes.end());
    add(submit);
    UsbPacket complete{.event = 'C', .transferType = 3, .endpoint = endpoint, .device = device, .urbId = urb};
    complete.urbLength = static_cast<std::uint32_t>(bytes.size());
    complete.flagData = '>';
    add(complete);
  };

  // The printer's device descriptor: interface-defined class, so only the
  // interface says it is a printer.
  control(kPrinter, {0x80, 0x06, 0x00, 0x01, 0x00, 0x00, 0x12, 0x00},
          {0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x34, 0x12, 0x78, 0x56, 0x00, 0x01, 0x01, 0x02,
           0x03, 0x01});
  // The driver reads the printer's status endpoint; nothing comes back in this capture.
  UsbPacket readBack{
      .event = 'S', .transferType = 3, .endpoint = 0x81, .device = kPrinter, .urbId = nextUrb += 0x40};
  readBack.status = kInProgress;
  readBack.urbLength = 64;
  readBack.capturedLength = 0;
  readBack.flagData = '<';
  add(readBack);
  const std::vector<std::uint8_t> decoy = {'D', 'E', 'C', 'O', 'Y', ' ', 'd', 'a', 't', 'a', 0x0D, 0x0A};
  bulkOut(kOtherDevice, 0x01, decoy);

  const std::size_t step = std::max<std::size_t>(urbSize, 1);
  std::size_t urbs = 0;
  for (std::size_t start = 0; start < job.size(); start += step) {
    bulkOut(kPrinter, 0x02, job.subspan(start, std::min(step, job.size() - start)));
    if (++urbs % 3 == 0) control(kPrinter, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00}, {0x01, 0x00});
    if (urbs % 5 == 0) bulkOut(kOtherDevice, 0x01, decoy);
  }
  return packets;
}

}  // namespace tesk::tools
