#pragma once
// The submissions of one bulk OUT stream whose fate is not yet known. A usbmon
// submission carries the bytes, but only its completion tells whether they
// were sent: an 'E' means never, a 'C' with an error means only as many as it
// reports. Submissions leave the window in file order, each once it is settled
// and every one before it is.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "usbcap/usb_capture.h"
#include "usbcap/usb_event.h"

namespace tesk::usbcap {

struct WindowEntry {
  std::uint64_t frame = 0;
  long double seconds = 0;
  std::uint32_t interfaceId = 0;
  std::uint64_t urbId = 0;
  std::span<const std::uint8_t> payload;
  std::uint64_t urbLength = 0;
  bool settled = false;
  bool sent = true;
  std::uint64_t sentLimit = UINT64_MAX;
  TransferOutcome outcome = TransferOutcome::Unmatched;

  std::uint64_t KeptLength() const;
  std::uint64_t MissingLength() const;
};

class TransferWindow {
 public:
  // Queued submissions of one endpoint rarely number more than a few dozen;
  // past this many the oldest is taken as submitted, so that a capture that
  // never completes anything cannot make the window as large as the file.
  static constexpr std::size_t kLongestWindow = 256;

  // Adds a submission. Returns the URB id of a waiting submission that it
  // pushed out of the window, if any.
  std::optional<std::uint64_t> Submit(const PacketRecord& record, const UsbEvent& event);
  // Settles the waiting submission of this URB by its 'C' or 'E'; false when
  // the window holds none.
  bool Complete(std::uint32_t interfaceId, const UsbEvent& event);
  // A new submission reuses the URB id: the old one's completion is not in the
  // capture.
  bool SettleUnmatched(std::uint32_t interfaceId, std::uint64_t urbId);
  // The capture ended: whatever waits is taken as submitted.
  void SettleAll();

  bool FrontSettled() const { return !entries_.empty() && entries_.front().settled; }
  WindowEntry PopFront();
  bool HasWaiting() const { return waiting_ != 0; }
  std::size_t Size() const { return entries_.size(); }
  // Empties the window, reporting the URB id of every submission still waiting.
  template <typename Visitor>
  void Clear(Visitor&& visitWaiting) {
    for (const WindowEntry& entry : entries_)
      if (!entry.settled) visitWaiting(entry.urbId);
    entries_.clear();
    waiting_ = 0;
  }

 private:
  WindowEntry* FindWaiting(std::uint32_t interfaceId, std::uint64_t urbId);
  void Settle(WindowEntry& entry);

  std::deque<WindowEntry> entries_;
  std::size_t waiting_ = 0;
};

}  // namespace tesk::usbcap
