#pragma once
// Shared by the USB capture tests: packets in a few words, and a decode into
// buffers of exactly the sizes the loader gives, so that the sanitizers see any
// read or write outside them.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/usb_capture_writer.h"
#include "usbcap/usb_capture.h"

namespace tesk::usbcap::testing {

using tesk::testing::Bytes;
using tools::UsbPacket;

inline constexpr std::uint16_t kPrinter = 5;
inline constexpr std::uint8_t kPrinterOut = 0x02;

inline UsbPacket Submit(std::uint64_t urb, Bytes data, std::uint16_t device = kPrinter,
                        std::uint8_t endpoint = kPrinterOut) {
  UsbPacket packet;
  packet.event = 'S';
  packet.urbId = urb;
  packet.device = device;
  packet.endpoint = endpoint;
  packet.status = -115;
  packet.data = std::move(data);
  return packet;
}

inline UsbPacket Complete(std::uint64_t urb, std::uint32_t length, std::int32_t status = 0,
                          std::uint16_t device = kPrinter, std::uint8_t endpoint = kPrinterOut) {
  UsbPacket packet;
  packet.event = 'C';
  packet.urbId = urb;
  packet.device = device;
  packet.endpoint = endpoint;
  packet.status = status;
  packet.urbLength = length;
  packet.flagData = '>';
  return packet;
}

inline UsbPacket Error(std::uint64_t urb, std::int32_t status = -71) {
  UsbPacket packet;
  packet.event = 'E';
  packet.urbId = urb;
  packet.device = kPrinter;
  packet.endpoint = kPrinterOut;
  packet.status = status;
  packet.urbLength = 0;
  return packet;
}

// A submission and its completion, with the packets' interface set.
inline std::vector<UsbPacket> Sent(std::uint64_t urb, const Bytes& data, std::uint16_t device = kPrinter,
                                   std::uint32_t interface = 0) {
  UsbPacket submit = Submit(urb, data, device);
  UsbPacket complete = Complete(urb, static_cast<std::uint32_t>(data.size()), 0, device);
  submit.interface = complete.interface = interface;
  return {submit, complete};
}

inline Bytes CaptureOf(const tools::UsbCaptureLayout& layout, const std::vector<UsbPacket>& packets) {
  tools::UsbCaptureWriter writer(layout);
  writer.Add(packets);
  return writer.Bytes();
}

struct Decoded {
  UsbCaptureResult result;
  Bytes job;
  std::vector<UsbTransfer> transfers;
  bool tailIsZero = true;  // nothing written behind the job
};

inline Decoded Decode(const Bytes& file) {
  const std::vector<std::uint8_t> input(file);
  std::vector<std::uint8_t> data(file.size());
  Decoded decoded;
  decoded.result = DecodeUsbCapture(input, data, &decoded.transfers);
  const std::size_t length = decoded.result.jobLength <= data.size() ? decoded.result.jobLength : data.size();
  decoded.job.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
  for (std::size_t index = length; index < data.size(); ++index)
    if (data[index] != 0) decoded.tailIsZero = false;
  return decoded;
}

inline Bytes Concatenate(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace tesk::usbcap::testing
