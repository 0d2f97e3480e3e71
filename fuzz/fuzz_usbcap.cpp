// The USB capture decoder on arbitrary bytes, with exactly the room the loader
// gives: a job buffer as large as the file.

#include <cstdlib>
#include <vector>

#include "usbcap/usb_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  const std::vector<std::uint8_t> file(data, data + size);
  std::vector<std::uint8_t> job(size);
  std::vector<usbcap::UsbTransfer> transfers;
  std::vector<usbcap::UsbInTransfer> answers;
  const usbcap::UsbCaptureResult result = usbcap::DecodeUsbCapture(file, job, &transfers, &answers);
  // The answers stand in the job in file order and hold no more than they moved.
  std::uint64_t answeredAt = 0;
  for (const usbcap::UsbInTransfer& answer : answers) {
    if (answer.jobOffset < answeredAt || answer.jobOffset > result.jobLength) std::abort();
    if (answer.bytes.size() > usbcap::kInBytesListed || answer.bytes.size() > answer.length) std::abort();
    answeredAt = answer.jobOffset;
  }
  if (answers.size() > usbcap::kMostInTransfersListed) std::abort();
  if (result.jobLength > size) std::abort();
  if (!result.isUsbCapture && (result.jobLength != 0 || result.jobFound)) std::abort();
  // The transfers tile the job, in order.
  std::uint64_t offset = 0;
  for (const usbcap::UsbTransfer& transfer : transfers) {
    if (transfer.jobOffset != offset) std::abort();
    offset += transfer.length;
  }
  if (offset != result.jobLength) std::abort();
  // The stream chosen by its first payload gives a job that begins with that payload.
  if (result.jobFound && (result.jobLength < 2 || job[0] != 0x1B || job[1] != 0x40)) std::abort();
  for (std::size_t index = static_cast<std::size_t>(result.jobLength); index < size; ++index)
    if (job[index] != 0) std::abort();
  return 0;
}
