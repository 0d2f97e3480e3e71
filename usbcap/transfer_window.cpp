#include "usbcap/transfer_window.h"

#include <algorithm>

namespace tesk::usbcap {

std::uint64_t WindowEntry::KeptLength() const {
  return sent ? std::min<std::uint64_t>(payload.size(), sentLimit) : 0;
}

std::uint64_t WindowEntry::MissingLength() const {
  if (!sent) return 0;
  const std::uint64_t carried = std::min(urbLength, sentLimit);
  const std::uint64_t kept = KeptLength();
  return carried > kept ? carried - kept : 0;
}

std::optional<std::uint64_t> TransferWindow::Submit(const PacketRecord& record, const UsbEvent& event) {
  WindowEntry entry;
  entry.frame = record.frame;
  entry.seconds = record.seconds;
  entry.interfaceId = record.interfaceId;
  entry.urbId = event.urbId;
  entry.payload = event.payload;
  entry.urbLength = event.urbLength;
  if (!event.awaitsCompletion) {
    entry.settled = true;
    entry.outcome = TransferOutcome::Completed;
  } else {
    ++waiting_;
  }
  entries_.push_back(entry);

  std::optional<std::uint64_t> pushedOut;
  if (entries_.size() > kLongestWindow) {
    WindowEntry& oldest = entries_.front();
    if (!oldest.settled) {
      pushedOut = oldest.urbId;
      Settle(oldest);
    }
  }
  return pushedOut;
}

WindowEntry* TransferWindow::FindWaiting(std::uint32_t interfaceId, std::uint64_t urbId) {
  if (waiting_ == 0) return nullptr;
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
    if (!entry->settled && entry->urbId == urbId && entry->interfaceId == interfaceId) return &*entry;
  return nullptr;
}

void TransferWindow::Settle(WindowEntry& entry) {
  entry.settled = true;
  --waiting_;
}

bool TransferWindow::Complete(std::uint32_t interfaceId, const UsbEvent& event) {
  WindowEntry* entry = FindWaiting(interfaceId, event.urbId);
  if (!entry) return false;
  Settle(*entry);
  if (event.event == UrbEvent::Error) {
    entry->sent = false;
  } else if (event.status != 0) {
    // Only the bytes that the completion reports reached the device.
    entry->sentLimit = event.urbLength;
    entry->outcome = TransferOutcome::Cut;
    if (event.urbLength == 0) entry->sent = false;
  } else {
    entry->outcome = TransferOutcome::Completed;
  }
  return true;
}

bool TransferWindow::SettleUnmatched(std::uint32_t interfaceId, std::uint64_t urbId) {
  WindowEntry* entry = FindWaiting(interfaceId, urbId);
  if (!entry) return false;
  Settle(*entry);
  return true;
}

void TransferWindow::SettleAll() {
  for (WindowEntry& entry : entries_)
    if (!entry.settled) Settle(entry);
}

WindowEntry TransferWindow::PopFront() {
  WindowEntry entry = entries_.front();
  entries_.pop_front();
  return entry;
}

}  // namespace tesk::usbcap
