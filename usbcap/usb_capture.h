#pragma once
// USB packet captures (pcap and pcapng files of Linux usbmon or USBPcap
// traffic): finds the print job that a host sent to a printer's bulk OUT
// endpoint and copies its bytes out of the capture.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/progress_steps.h"

namespace tesk::usbcap {

// Link types of the USB records we read.
inline constexpr std::uint16_t kLinkTypeUsbmon = 189;         // 48-byte header
inline constexpr std::uint16_t kLinkTypeUsbmonMmapped = 220;  // 64-byte header
inline constexpr std::uint16_t kLinkTypeUsbPcap = 249;

enum class UsbContainer : std::uint8_t { None, Pcap, PcapNg };

// One endpoint of one device, as one capture interface saw it.
struct UsbStreamKey {
  std::uint32_t interfaceId = 0;  // pcapng: counted over the whole file; pcap: 0
  std::uint16_t bus = 0;
  std::uint16_t device = 0;
  std::uint8_t endpoint = 0;  // bit 7 set for IN endpoints

  friend bool operator==(const UsbStreamKey&, const UsbStreamKey&) = default;
};

enum class TransferOutcome : std::uint8_t {
  Completed,  // completed without error: every submitted byte counts
  Cut,        // completed with an error: only the bytes the completion reports were sent
  Unmatched,  // no completion in the capture: taken as submitted
};

// One submission of the job's stream that added bytes to the job or left a gap.
struct UsbTransfer {
  std::uint64_t frame = 0;      // packet number in the file, counting from 1
  double seconds = 0;           // time since the file's first packet
  std::uint64_t jobOffset = 0;  // where its bytes start in the job
  std::uint64_t length = 0;     // bytes taken into the job
  std::uint64_t missing = 0;    // bytes that were sent but the capture does not hold
  TransferOutcome outcome = TransferOutcome::Completed;
};

// What the printer sent back on the job's device (a bulk or interrupt IN
// transfer that completed with bytes): the answers to status queries among
// them. Listed beside the job; never part of it.
struct UsbInTransfer {
  std::uint64_t frame = 0;          // packet number of the completion, counting from 1
  double seconds = 0;               // time since the file's first packet
  std::uint8_t endpoint = 0;        // bit 7 set
  std::uint64_t jobOffset = 0;      // job bytes submitted before it
  std::uint64_t length = 0;         // bytes the device sent
  std::vector<std::uint8_t> bytes;  // the first kInBytesListed of them the capture holds
};

// Status answers are a byte or a few; longer IN transfers are listed by
// their start.
inline constexpr std::size_t kInBytesListed = 32;
// A capture of nothing but IN transfers cannot make the list as long as itself.
inline constexpr std::size_t kMostInTransfersListed = 65536;

struct UsbCaptureStatistics {
  UsbContainer container = UsbContainer::None;
  bool bigEndian = false;                // byte order of the file (pcapng: its first section)
  std::vector<std::uint16_t> linkTypes;  // distinct link types of the interfaces, first seen first
  std::uint32_t interfaces = 0;          // pcap: 1; pcapng: interface blocks over all sections
  std::uint64_t packets = 0;             // packet records read whole
  std::uint64_t usbRecords = 0;          // of them, records of a USB link type we read
  std::uint64_t bulkOutStreams = 0;      // distinct bulk OUT streams seen
  UsbStreamKey jobStream;                // valid when a job was found
  std::uint64_t transfersTaken = 0;      // submissions that added bytes or left a gap
  std::uint64_t transfersDropped = 0;    // submissions of the job's stream that were never sent
  std::uint64_t transfersCut = 0;        // taken, but cut by a completion with an error
  std::uint64_t gaps = 0;                // taken transfers that the capture holds only in part
  std::uint64_t gapBytes = 0;            // bytes missing in those
  bool damaged = false;                  // reading ended early at a block or record that is not whole
  std::uint64_t damagedAt = 0;           // file offset of that block or record
};

struct UsbCaptureResult {
  bool isUsbCapture = false;  // the file begins with a pcap or pcapng magic
  bool jobFound = false;
  std::uint64_t jobLength = 0;  // bytes written to the front of `data`
  UsbCaptureStatistics statistics;
  bool cancelled = false;  // the progress hook stopped the decoding; nothing else holds
};

// True when `firstBytes` begin with a pcap magic (either byte order,
// microseconds or nanoseconds) or a pcapng section header.
bool LooksLikeUsbCapture(std::span<const std::uint8_t> firstBytes);

// Decodes the capture in `file` and writes the job to the front of `data`,
// never past data.size(). Every payload byte comes from the file, so a `data`
// as large as the file always holds the whole job. When `transfers` is given,
// it receives the list of transfers taken, in job order; `inTransfers`, when
// given, receives what the job's device sent back, in file order. Neither
// list changes the job. `progress`, when given, is told how far the decoding
// has come in bytes of the file (both passes over it counted as one).
UsbCaptureResult DecodeUsbCapture(std::span<const std::uint8_t> file, std::span<std::uint8_t> data,
                                  std::vector<UsbTransfer>* transfers = nullptr,
                                  std::vector<UsbInTransfer>* inTransfers = nullptr,
                                  const platform::ProgressHook* progress = nullptr);

}  // namespace tesk::usbcap
