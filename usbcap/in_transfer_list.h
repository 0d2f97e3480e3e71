#pragma once
// Gathers what the job's device sent back to the host while the job was being
// sent, and places each answer in the job: after the bytes submitted before it.

#include <cstdint>
#include <optional>
#include <vector>

#include "usbcap/packet_reader.h"
#include "usbcap/usb_capture.h"
#include "usbcap/usb_event.h"

namespace tesk::usbcap {

class InTransferList {
 public:
  // Nothing is gathered without a list to fill or a job's device to follow.
  InTransferList(std::vector<UsbInTransfer>* list, const std::optional<UsbStreamKey>& job);

  bool Wanted() const { return list_ != nullptr; }
  // A record of the capture, in file order; `seconds` counts from its first packet.
  void Note(const PacketRecord& record, const UsbEvent& event, double seconds);
  // A transfer of the job was taken: its submission's packet and where its bytes begin.
  void NoteJobTransfer(std::uint64_t frame, std::uint64_t jobOffset);
  // Places every answer in the job, whose length is now known.
  void Finish(std::uint64_t jobLength);

 private:
  struct JobMark {
    std::uint64_t frame = 0;
    std::uint64_t jobOffset = 0;
  };

  std::vector<UsbInTransfer>* list_;
  std::optional<UsbStreamKey> job_;
  std::vector<JobMark> marks_;
};

}  // namespace tesk::usbcap
