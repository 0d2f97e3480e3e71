#pragma once
// One USB record of a capture (a usbmon event or a USBPcap packet), read from
// the bytes of its packet record.

#include <cstdint>
#include <span>

#include "usbcap/packet_reader.h"

namespace tesk::usbcap {

inline constexpr std::uint8_t kTransferInterrupt = 1;
inline constexpr std::uint8_t kTransferBulk = 3;

enum class UrbEvent : std::uint8_t {
  Submit,    // usbmon 'S'; USBPcap: host to device
  Complete,  // usbmon 'C'
  Error,     // usbmon 'E': the submission failed and nothing was sent
  Other,     // USBPcap device-to-host records, unknown usbmon event types
};

struct UsbEvent {
  UrbEvent event = UrbEvent::Other;
  // Submissions of usbmon wait for their 'C' or 'E'; those of USBPcap stand
  // alone.
  bool awaitsCompletion = false;
  std::uint8_t transferType = 0;
  std::uint8_t endpoint = 0;
  std::uint16_t device = 0;
  std::uint16_t bus = 0;
  std::uint64_t urbId = 0;
  std::int32_t status = 0;
  std::uint64_t urbLength = 0;            // submit: bytes the URB carries; complete: bytes it moved
  std::span<const std::uint8_t> payload;  // the bytes the capture holds
  std::uint64_t missing = 0;              // bytes the URB carries beyond the payload
  // The record holds what the device sent: usbmon's 'C' of an IN endpoint,
  // USBPcap's device-to-host record.
  bool fromDevice = false;

  bool IsBulkOut() const { return transferType == kTransferBulk && (endpoint & 0x80) == 0; }
  // Bytes a bulk or interrupt IN endpoint sent to the host.
  bool IsInAnswer() const {
    return fromDevice && (endpoint & 0x80) != 0 &&
           (transferType == kTransferBulk || transferType == kTransferInterrupt);
  }
};

// False when the record is of no USB link type we read, or too short for its
// header.
bool ReadUsbEvent(const PacketRecord& record, UsbEvent& event);

}  // namespace tesk::usbcap
