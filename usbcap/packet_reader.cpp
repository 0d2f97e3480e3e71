#include "usbcap/packet_reader.h"

#include <algorithm>
#include <cmath>

#include "usbcap/field_order.h"

namespace tesk::usbcap {
namespace {

constexpr std::uint64_t kPcapFileHeader = 24;
constexpr std::uint64_t kPcapRecordHeader = 16;
constexpr std::uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceBlock = 1;
constexpr std::uint32_t kSimplePacketBlock = 3;
constexpr std::uint32_t kEnhancedPacketBlock = 6;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::uint16_t kOptionTimeResolution = 9;
// Enough for every real capture; interface blocks beyond it are counted but
// their packets are not read, so a file of nothing but interface blocks cannot
// make us hold a table as large as itself.
constexpr std::size_t kMostInterfacesPerSection = 4096;
constexpr std::size_t kMostLinkTypesListed = 16;

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

std::uint64_t PaddedToFour(std::uint64_t length) { return (length + 3) & ~std::uint64_t{3}; }

}  // namespace

PacketReader::PacketReader(std::span<const std::uint8_t> file) : file_(file) {
  if (StartsWith(file, {0x0A, 0x0D, 0x0D, 0x0A})) {
    summary_.container = UsbContainer::PcapNg;
    StartSection();
    summary_.bigEndian = bigEndian_;
    return;
  }
  const bool microseconds =
      StartsWith(file, {0xA1, 0xB2, 0xC3, 0xD4}) || StartsWith(file, {0xD4, 0xC3, 0xB2, 0xA1});
  const bool nanoseconds =
      StartsWith(file, {0xA1, 0xB2, 0x3C, 0x4D}) || StartsWith(file, {0x4D, 0x3C, 0xB2, 0xA1});
  if (!microseconds && !nanoseconds) {
    done_ = true;
    return;
  }
  summary_.container = UsbContainer::Pcap;
  bigEndian_ = file[0] == 0xA1;
  summary_.bigEndian = bigEndian_;
  if (file.size() < kPcapFileHeader) {
    StopDamaged();  // the file header itself is cut off
    return;
  }
  const FieldOrder order{bigEndian_};
  // The upper bits of the link type field carry frame check sequence details.
  const std::uint32_t network = order.U32(file.data() + 20) & 0x03FFFFFF;
  pcapLinkType_ = network <= 0xFFFF ? static_cast<std::uint16_t>(network) : 0;
  pcapFractionsPerSecond_ = nanoseconds ? 1e9L : 1e6L;
  summary_.interfaces = 1;
  NoteLinkType(pcapLinkType_);
  offset_ = kPcapFileHeader;
}

bool PacketReader::StopDamaged() {
  summary_.damaged = true;
  summary_.damagedAt = offset_;
  done_ = true;
  return false;
}

void PacketReader::NoteLinkType(std::uint16_t linkType) {
  auto& types = summary_.linkTypes;
  if (types.size() < kMostLinkTypesListed && std::find(types.begin(), types.end(), linkType) == types.end())
    types.push_back(linkType);
}

bool PacketReader::Next(PacketRecord& record) {
  if (done_) return false;
  const bool taken = summary_.container == UsbContainer::Pcap ? NextPcap(record) : NextPcapNg(record);
  if (taken) record.frame = ++summary_.packets;
  return taken;
}

bool PacketReader::NextPcap(PacketRecord& record) {
  const std::uint64_t remaining = file_.size() - offset_;
  if (remaining == 0) {
    done_ = true;
    return false;
  }
  if (remaining < kPcapRecordHeader) return StopDamaged();  // a record header cut off
  const FieldOrder order{bigEndian_};
  const std::uint8_t* header = file_.data() + offset_;
  const std::uint64_t captured = order.U32(header + 8);
  if (captured > remaining - kPcapRecordHeader) return StopDamaged();  // claims more than the file holds
  record.interfaceId = 0;
  record.linkType = pcapLinkType_;
  record.bigEndian = bigEndian_;
  record.bytes = file_.subspan(offset_ + kPcapRecordHeader, captured);
  record.seconds = static_cast<long double>(order.U32(header)) +
                   static_cast<long double>(order.U32(header + 4)) / pcapFractionsPerSecond_;
  offset_ += kPcapRecordHeader + captured;
  return true;
}

// Reads the section header block at offset_; false (and the reading ends) when
// it is not whole.
bool PacketReader::StartSection() {
  const std::uint64_t remaining = file_.size() - offset_;
  if (remaining < 12) return StopDamaged();  // no room for the byte-order magic
  const std::uint8_t* block = file_.data() + offset_;
  if (platform::ReadLe32(block + 8) == kByteOrderMagic)
    bigEndian_ = false;
  else if (platform::ReadBe32(block + 8) == kByteOrderMagic)
    bigEndian_ = true;
  else
    return StopDamaged();  // no byte order we know
  const FieldOrder order{bigEndian_};
  const std::uint64_t length = order.U32(block + 4);
  if (length < 28 || length % 4 != 0 || length > remaining) return StopDamaged();
  if (order.U16(block + 12) != 1) return StopDamaged();  // a major version we cannot read
  sectionInterfaces_.clear();
  offset_ += length;
  return true;
}

void PacketReader::AddInterface(std::span<const std::uint8_t> body) {
  const std::uint32_t id = summary_.interfaces++;
  if (sectionInterfaces_.size() >= kMostInterfacesPerSection) return;
  Interface interface;
  interface.id = id;
  // An interface block too short for its fields still takes its number, so the
  // packets of the interfaces after it keep theirs.
  if (body.size() >= 8) {
    const FieldOrder order{bigEndian_};
    interface.linkType = order.U16(body.data());
    interface.snapLength = order.U32(body.data() + 4);
    std::uint64_t option = 8;
    while (body.size() - option >= 4) {
      const std::uint16_t code = order.U16(body.data() + option);
      const std::uint64_t valueLength = order.U16(body.data() + option + 2);
      if (code == 0) break;                                             // end of options
      if (PaddedToFour(valueLength) > body.size() - option - 4) break;  // option runs past the block
      if (code == kOptionTimeResolution && valueLength >= 1) {
        const std::uint8_t resolution = body[option + 4];
        const int exponent = resolution & 0x7F;
        interface.unitsPerSecond = (resolution & 0x80) ? std::ldexp(1.0L, exponent)
                                                       : std::pow(10.0L, static_cast<long double>(exponent));
      }
      option += 4 + PaddedToFour(valueLength);
    }
    NoteLinkType(interface.linkType);
  }
  sectionInterfaces_.push_back(interface);
}

bool PacketReader::TakeEnhancedPacket(std::span<const std::uint8_t> body, PacketRecord& record) {
  if (body.size() < 20) return false;  // too short for its fields
  const FieldOrder order{bigEndian_};
  const std::uint32_t interfaceIndex = order.U32(body.data());
  const std::uint64_t captured = order.U32(body.data() + 12);
  if (captured > body.size() - 20) return false;  // claims more than its block holds
  record.bytes = body.subspan(20, captured);
  record.linkType = 0;
  record.interfaceId = 0;
  record.seconds = 0;
  if (interfaceIndex < sectionInterfaces_.size()) {
    const Interface& interface = sectionInterfaces_[interfaceIndex];
    record.interfaceId = interface.id;
    record.linkType = interface.linkType;
    // The time stamp is one 64-bit count stored as two words, the high word first.
    const std::uint64_t stamp =
        (std::uint64_t{order.U32(body.data() + 4)} << 32) | order.U32(body.data() + 8);
    record.seconds = static_cast<long double>(stamp) / interface.unitsPerSecond;
  }
  return true;
}

bool PacketReader::TakeSimplePacket(std::span<const std::uint8_t> body, PacketRecord& record) {
  if (body.size() < 4) return false;  // too short for its field
  const FieldOrder order{bigEndian_};
  std::uint64_t captured = std::min<std::uint64_t>(order.U32(body.data()), body.size() - 4);
  record.linkType = 0;
  record.interfaceId = 0;
  record.seconds = 0;
  // A simple packet belongs to the section's first interface and has no time stamp.
  if (!sectionInterfaces_.empty()) {
    const Interface& interface = sectionInterfaces_.front();
    if (interface.snapLength != 0) captured = std::min<std::uint64_t>(captured, interface.snapLength);
    record.interfaceId = interface.id;
    record.linkType = interface.linkType;
  }
  record.bytes = body.subspan(4, captured);
  return true;
}

bool PacketReader::NextPcapNg(PacketRecord& record) {
  for (;;) {
    const std::uint64_t remaining = file_.size() - offset_;
    if (remaining == 0) {
      done_ = true;
      return false;
    }
    if (remaining < 12) return StopDamaged();  // a block header cut off
    const std::uint8_t* block = file_.data() + offset_;
    const FieldOrder order{bigEndian_};
    const std::uint32_t type = order.U32(block);
    if (type == kSectionHeaderBlock) {
      if (!StartSection()) return false;
      continue;
    }
    const std::uint64_t length = order.U32(block + 4);
    if (length < 12 || length % 4 != 0 || length > remaining) return StopDamaged();
    const std::span<const std::uint8_t> body = file_.subspan(offset_ + 8, length - 12);
    offset_ += length;
    record.bigEndian = bigEndian_;
    if (type == kInterfaceBlock) {
      AddInterface(body);
    } else if (type == kEnhancedPacketBlock) {
      if (TakeEnhancedPacket(body, record)) return true;
    } else if (type == kSimplePacketBlock) {
      if (TakeSimplePacket(body, record)) return true;
    }
    // Every other block is skipped by its length.
  }
}

}  // namespace tesk::usbcap
