#pragma once
// Walks the packet records of a pcap or pcapng file, one whole record at a
// time. Reading ends at the first block or record that the file does not hold
// whole; nothing is read outside the file.

#include <cstdint>
#include <span>
#include <vector>

#include "usbcap/usb_capture.h"

namespace tesk::usbcap {

struct PacketRecord {
  std::uint64_t frame = 0;              // counting from 1
  std::uint32_t interfaceId = 0;        // over the whole file
  std::uint16_t linkType = 0;           // 0 when the record names no interface we know
  bool bigEndian = false;               // byte order of its file or section
  std::span<const std::uint8_t> bytes;  // the captured bytes
  long double seconds = 0;              // time stamp, seconds since 1970
};

struct ContainerSummary {
  UsbContainer container = UsbContainer::None;
  bool bigEndian = false;
  std::vector<std::uint16_t> linkTypes;
  std::uint32_t interfaces = 0;
  std::uint64_t packets = 0;
  bool damaged = false;
  std::uint64_t damagedAt = 0;
};

class PacketReader {
 public:
  explicit PacketReader(std::span<const std::uint8_t> file);

  // The next whole packet record; false once the file ends or a block or record
  // is not whole.
  bool Next(PacketRecord& record);

  const ContainerSummary& Summary() const { return summary_; }
  // How far into the file the reading has come.
  std::uint64_t Offset() const { return offset_; }

 private:
  struct Interface {
    std::uint32_t id = 0;
    std::uint16_t linkType = 0;
    std::uint32_t snapLength = 0;
    long double unitsPerSecond = 1e6L;
  };

  bool NextPcap(PacketRecord& record);
  bool NextPcapNg(PacketRecord& record);
  bool StartSection();
  void AddInterface(std::span<const std::uint8_t> body);
  bool TakeEnhancedPacket(std::span<const std::uint8_t> body, PacketRecord& record);
  bool TakeSimplePacket(std::span<const std::uint8_t> body, PacketRecord& record);
  void NoteLinkType(std::uint16_t linkType);
  bool StopDamaged();

  std::span<const std::uint8_t> file_;
  std::uint64_t offset_ = 0;
  bool done_ = false;
  bool bigEndian_ = false;
  // pcap: the file header's link type and time unit.
  std::uint16_t pcapLinkType_ = 0;
  long double pcapFractionsPerSecond_ = 1e6L;
  // pcapng: the interfaces of the current section.
  std::vector<Interface> sectionInterfaces_;
  ContainerSummary summary_;
};

}  // namespace tesk::usbcap
