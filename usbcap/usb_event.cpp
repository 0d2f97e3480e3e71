#include "usbcap/usb_event.h"

#include <algorithm>

#include "usbcap/field_order.h"

namespace tesk::usbcap {
namespace {

constexpr std::uint64_t kUsbmonHeader = 48;
constexpr std::uint64_t kUsbmonMmappedHeader = 64;
constexpr std::uint64_t kIsoDescriptor = 16;
constexpr std::uint64_t kUsbPcapHeader = 27;

std::uint64_t BytesFrom(std::span<const std::uint8_t> bytes, std::uint64_t start) {
  return start < bytes.size() ? bytes.size() - start : 0;
}

void TakePayload(std::span<const std::uint8_t> bytes, std::uint64_t start, std::uint64_t claimed,
                 UsbEvent& event) {
  const std::uint64_t present = std::min(claimed, BytesFrom(bytes, start));
  event.payload = present == 0 ? std::span<const std::uint8_t>() : bytes.subspan(start, present);
  event.missing = event.urbLength > present ? event.urbLength - present : 0;
}

bool ReadUsbmon(const PacketRecord& record, std::uint64_t headerLength, UsbEvent& event) {
  const std::span<const std::uint8_t> bytes = record.bytes;
  if (bytes.size() < headerLength) return false;
  const FieldOrder order{record.bigEndian};
  const std::uint8_t* header = bytes.data();
  event.urbId = order.U64(header);
  switch (header[8]) {
    case 'S': event.event = UrbEvent::Submit; break;
    case 'C': event.event = UrbEvent::Complete; break;
    case 'E': event.event = UrbEvent::Error; break;
    default: event.event = UrbEvent::Other; break;
  }
  event.awaitsCompletion = event.event == UrbEvent::Submit;
  event.transferType = header[9];
  event.endpoint = header[10];
  event.device = header[11];
  event.bus = order.U16(header + 12);
  event.status = order.S32(header + 28);
  event.fromDevice = event.event == UrbEvent::Complete && (event.endpoint & 0x80) != 0;
  event.urbLength = order.U32(header + 32);
  const std::uint64_t capturedLength = order.U32(header + 36);
  // The data follow the isochronous descriptors, if any; 16 bytes each, in
  // 64 bits so that no count of them can wrap the offset.
  std::uint64_t dataStart = headerLength;
  if (headerLength == kUsbmonMmappedHeader)
    dataStart += std::uint64_t{order.U32(header + 60)} * kIsoDescriptor;
  // flag_data is not consulted: the captured length alone says whether bytes follow.
  TakePayload(bytes, dataStart, capturedLength, event);
  return true;
}

bool ReadUsbPcap(const PacketRecord& record, UsbEvent& event) {
  const std::span<const std::uint8_t> bytes = record.bytes;
  if (bytes.size() < kUsbPcapHeader) return false;
  // USBPcap writes its header little-endian whatever the file's byte order.
  const std::uint8_t* header = bytes.data();
  const std::uint64_t headerLength = platform::ReadLe16(header);
  if (headerLength < kUsbPcapHeader) return false;  // a header shorter than its own fields
  event.urbId = platform::ReadLe64(header + 2);
  event.status = static_cast<std::int32_t>(platform::ReadLe32(header + 10));
  const bool toHost = (header[16] & 0x01) != 0;
  event.event = toHost ? UrbEvent::Other : UrbEvent::Submit;
  event.fromDevice = toHost;
  event.awaitsCompletion = false;
  event.bus = platform::ReadLe16(header + 17);
  event.device = platform::ReadLe16(header + 19);
  event.endpoint = header[21];
  event.transferType = header[22];
  event.urbLength = platform::ReadLe32(header + 23);
  TakePayload(bytes, headerLength, event.urbLength, event);
  return true;
}

}  // namespace

bool ReadUsbEvent(const PacketRecord& record, UsbEvent& event) {
  event = UsbEvent{};
  switch (record.linkType) {
    case kLinkTypeUsbmon: return ReadUsbmon(record, kUsbmonHeader, event);
    case kLinkTypeUsbmonMmapped: return ReadUsbmon(record, kUsbmonMmappedHeader, event);
    case kLinkTypeUsbPcap: return ReadUsbPcap(record, event);
    default: return false;
  }
}

}  // namespace tesk::usbcap
