#include "usbcap/in_transfer_list.h"

#include <algorithm>

namespace tesk::usbcap {

InTransferList::InTransferList(std::vector<UsbInTransfer>* list, const std::optional<UsbStreamKey>& job)
    : list_(job ? list : nullptr), job_(job) {}

void InTransferList::Note(const PacketRecord& record, const UsbEvent& event, double seconds) {
  if (!list_ || !event.IsInAnswer() || list_->size() >= kMostInTransfersListed) return;
  if (record.interfaceId != job_->interfaceId || event.bus != job_->bus || event.device != job_->device)
    return;
  // usbmon reports how many bytes an IN transfer moved in its completion's
  // length; USBPcap in its data length. Either way a transfer that moved
  // nothing answered nothing.
  const std::uint64_t length = std::max<std::uint64_t>(event.urbLength, event.payload.size());
  if (length == 0) return;
  UsbInTransfer answer;
  answer.frame = record.frame;
  answer.seconds = seconds;
  answer.endpoint = event.endpoint;
  answer.length = length;
  const std::size_t kept = std::min(event.payload.size(), kInBytesListed);
  answer.bytes.assign(event.payload.begin(), event.payload.begin() + static_cast<std::ptrdiff_t>(kept));
  list_->push_back(std::move(answer));
}

void InTransferList::NoteJobTransfer(std::uint64_t frame, std::uint64_t jobOffset) {
  if (list_) marks_.push_back({frame, jobOffset});
}

void InTransferList::Finish(std::uint64_t jobLength) {
  if (!list_) return;
  // Both lists are in file order: each answer follows the job's bytes
  // submitted in packets before its own.
  std::size_t mark = 0;
  for (UsbInTransfer& answer : *list_) {
    while (mark < marks_.size() && marks_[mark].frame < answer.frame) ++mark;
    answer.jobOffset = mark < marks_.size() ? marks_[mark].jobOffset : jobLength;
  }
}

}  // namespace tesk::usbcap
