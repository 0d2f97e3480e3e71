#include "usbcap/usb_capture.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "usbcap/in_transfer_list.h"
#include "usbcap/packet_reader.h"
#include "usbcap/transfer_window.h"
#include "usbcap/usb_event.h"

namespace tesk::usbcap {
namespace {

// More bulk OUT endpoints than any bus carries; endpoints beyond these are
// not followed, so a hostile file cannot grow the table with its own size.
constexpr std::size_t kMostStreamsFollowed = 1024;

struct StreamKeyHash {
  std::size_t operator()(const UsbStreamKey& key) const {
    const std::uint64_t packed = (std::uint64_t{key.interfaceId} << 40) ^ (std::uint64_t{key.bus} << 24) ^
                                 (std::uint64_t{key.device} << 8) ^ key.endpoint;
    return std::hash<std::uint64_t>{}(packed);
  }
};

struct UrbKey {
  std::uint32_t interfaceId = 0;
  std::uint64_t urbId = 0;
  friend bool operator==(const UrbKey&, const UrbKey&) = default;
};

struct UrbKeyHash {
  std::size_t operator()(const UrbKey& key) const {
    return std::hash<std::uint64_t>{}(key.urbId ^ (std::uint64_t{key.interfaceId} * 0x9E3779B97F4A7C15ULL));
  }
};

UsbStreamKey KeyOf(const PacketRecord& record, const UsbEvent& event) {
  return {record.interfaceId, event.bus, event.device, event.endpoint};
}

// Hosts ask the printer how it is (DLE EOT, DLE ENQ, GS r, GS I) or switch on
// its automatic status (GS a) before they send a job, often in a transfer of
// their own. Those bytes come ahead of the job rather than being part of it.
// Returns how many of the first bytes are such requests.
std::size_t LeadingStatusRequests(std::span<const std::uint8_t> bytes) {
  std::size_t position = 0;
  while (bytes.size() - position >= 3) {
    const std::uint8_t first = bytes[position];
    const std::uint8_t second = bytes[position + 1];
    const std::uint8_t parameter = bytes[position + 2];
    std::size_t length = 0;
    if (first == 0x10 && second == 0x04)
      length = (parameter == 7 || parameter == 8) ? 4 : (parameter >= 1 && parameter <= 4 ? 3 : 0);
    else if ((first == 0x10 && second == 0x05) ||
             (first == 0x1D && (second == 0x72 || second == 0x49 || second == 0x61)))
      length = 3;
    if (length == 0 || bytes.size() - position < length) break;
    position += length;
  }
  return position;
}

std::span<const std::uint8_t> KeptBytes(const WindowEntry& entry) {
  return entry.payload.first(static_cast<std::size_t>(entry.KeptLength()));
}

bool BeginsWithEscAt(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0x1B && bytes[1] == 0x40;
}

// Where the job begins: its stream, the submission that was judged, and the
// status requests at the front of that submission, which are not the job's.
struct JobStart {
  UsbStreamKey key;
  std::uint64_t frame = 0;
  std::size_t requestBytes = 0;
};

// The first pass: which bulk OUT stream holds the job. A stream is judged by
// its first payload that was really sent and that the capture holds bytes of;
// the job is the stream, judged to begin with ESC @, whose judged payload comes
// first in the file. Status requests in front of the job are passed over.
class StreamSelection {
 public:
  explicit StreamSelection(platform::ProgressSteps& steps) : steps_(steps) {}

  std::optional<JobStart> Select(std::span<const std::uint8_t> file) {
    PacketReader reader(file);
    PacketRecord record;
    UsbEvent event;
    bool stoppedEarly = false;
    while (reader.Next(record)) {
      if (!steps_.Continue(reader.Offset() / 2)) return std::nullopt;
      if (!ReadUsbEvent(record, event)) continue;
      if (event.event == UrbEvent::Submit) {
        if (event.awaitsCompletion) ForgetReusedUrb(record.interfaceId, event.urbId);
        if (event.IsBulkOut()) Submit(record, event);
      } else if ((event.event == UrbEvent::Complete || event.event == UrbEvent::Error) &&
                 !waitingUrbs_.empty()) {
        Complete(record.interfaceId, event);
      }
      // Once a stream is chosen and no undecided stream holds a submission that
      // came before it, nothing later can take its place.
      if (best_ && entriesUndecided_ == 0) {
        stoppedEarly = true;
        break;
      }
    }
    if (!stoppedEarly) {
      for (std::size_t index = 0; index < streams_.size(); ++index) {
        if (streams_[index].decision != Decision::Undecided) continue;
        streams_[index].window.SettleAll();
        Resolve(index);
      }
    }
    if (!best_) return std::nullopt;
    return JobStart{streams_[best_->stream].key, best_->frame, best_->requestBytes};
  }

 private:
  enum class Decision : std::uint8_t { Undecided, Job, NotJob };
  struct Stream {
    UsbStreamKey key;
    Decision decision = Decision::Undecided;
    TransferWindow window;
  };
  struct Choice {
    std::size_t stream = 0;
    std::uint64_t frame = 0;
    std::size_t requestBytes = 0;
  };

  std::optional<std::size_t> FindStream(const UsbStreamKey& key) {
    if (const auto found = indexOf_.find(key); found != indexOf_.end()) return found->second;
    if (streams_.size() >= kMostStreamsFollowed) return std::nullopt;
    indexOf_.emplace(key, streams_.size());
    streams_.emplace_back().key = key;
    return streams_.size() - 1;
  }

  void ForgetReusedUrb(std::uint32_t interfaceId, std::uint64_t urbId) {
    if (waitingUrbs_.empty()) return;
    const auto found = waitingUrbs_.find({interfaceId, urbId});
    if (found == waitingUrbs_.end()) return;
    const std::size_t index = found->second;
    waitingUrbs_.erase(found);
    if (streams_[index].window.SettleUnmatched(interfaceId, urbId)) Resolve(index);
  }

  void Submit(const PacketRecord& record, const UsbEvent& event) {
    const std::optional<std::size_t> index = FindStream(KeyOf(record, event));
    if (!index || streams_[*index].decision != Decision::Undecided) return;
    Stream& stream = streams_[*index];
    const std::optional<std::uint64_t> pushedOut = stream.window.Submit(record, event);
    ++entriesUndecided_;
    if (pushedOut) waitingUrbs_.erase({record.interfaceId, *pushedOut});
    if (event.awaitsCompletion) waitingUrbs_[{record.interfaceId, event.urbId}] = *index;
    Resolve(*index);
  }

  void Complete(std::uint32_t interfaceId, const UsbEvent& event) {
    const auto found = waitingUrbs_.find({interfaceId, event.urbId});
    if (found == waitingUrbs_.end()) return;
    const std::size_t index = found->second;
    waitingUrbs_.erase(found);
    if (streams_[index].window.Complete(interfaceId, event)) Resolve(index);
  }

  void Resolve(std::size_t index) {
    Stream& stream = streams_[index];
    while (stream.window.FrontSettled()) {
      const WindowEntry entry = stream.window.PopFront();
      --entriesUndecided_;
      if (entry.KeptLength() == 0) continue;  // nothing of it sent or captured: not yet a judgement
      const std::span<const std::uint8_t> kept = KeptBytes(entry);
      const std::size_t requestBytes = LeadingStatusRequests(kept);
      if (requestBytes == kept.size()) continue;  // status requests only: the job has not begun
      const bool job = BeginsWithEscAt(kept.subspan(requestBytes));
      stream.decision = job ? Decision::Job : Decision::NotJob;
      entriesUndecided_ -= stream.window.Size();
      stream.window.Clear([&](std::uint64_t urbId) { waitingUrbs_.erase({stream.key.interfaceId, urbId}); });
      if (job && (!best_ || entry.frame < best_->frame)) best_ = Choice{index, entry.frame, requestBytes};
      return;
    }
  }

  platform::ProgressSteps& steps_;
  std::vector<Stream> streams_;
  std::unordered_map<UsbStreamKey, std::size_t, StreamKeyHash> indexOf_;
  std::unordered_map<UrbKey, std::size_t, UrbKeyHash> waitingUrbs_;
  std::size_t entriesUndecided_ = 0;
  std::optional<Choice> best_;
};

// The second pass: copies the chosen stream's bytes into the job, in file
// order, and counts what the whole capture holds.
class JobCollection {
 public:
  JobCollection(std::span<std::uint8_t> data, std::vector<UsbTransfer>* transfers,
                UsbCaptureStatistics& statistics, InTransferList& answers, platform::ProgressSteps& steps)
      : data_(data), transfers_(transfers), statistics_(statistics), answers_(answers), steps_(steps) {}

  void Collect(std::span<const std::uint8_t> file, const std::optional<JobStart>& job) {
    if (job) start_ = *job;
    PacketReader reader(file);
    PacketRecord record;
    UsbEvent event;
    bool first = true;
    const std::uint64_t firstPass = file.size() / 2;
    while (reader.Next(record)) {
      if (!steps_.Continue(firstPass + reader.Offset() / 2)) return;
      if (first) firstSeconds_ = record.seconds;
      first = false;
      if (!ReadUsbEvent(record, event)) continue;
      ++statistics_.usbRecords;
      if (answers_.Wanted())
        answers_.Note(record, event, static_cast<double>(record.seconds - firstSeconds_));
      if (event.event == UrbEvent::Submit) {
        if (event.awaitsCompletion && window_.HasWaiting())
          window_.SettleUnmatched(record.interfaceId, event.urbId);
        if (event.IsBulkOut()) {
          const UsbStreamKey key = KeyOf(record, event);
          CountStream(key);
          if (job && key == job->key) window_.Submit(record, event);
        }
      } else if ((event.event == UrbEvent::Complete || event.event == UrbEvent::Error) &&
                 window_.HasWaiting()) {
        window_.Complete(record.interfaceId, event);
      }
      Flush();
    }
    window_.SettleAll();
    Flush();
    answers_.Finish(length_);

    const ContainerSummary& summary = reader.Summary();
    statistics_.container = summary.container;
    statistics_.bigEndian = summary.bigEndian;
    statistics_.linkTypes = summary.linkTypes;
    statistics_.interfaces = summary.interfaces;
    statistics_.packets = summary.packets;
    statistics_.damaged = summary.damaged;
    statistics_.damagedAt = summary.damagedAt;
    if (job) statistics_.jobStream = job->key;
  }

  std::uint64_t JobLength() const { return length_; }

 private:
  void CountStream(const UsbStreamKey& key) {
    // Submissions come in runs on one endpoint; only a change of stream needs the set.
    if (lastCounted_ && *lastCounted_ == key) return;
    lastCounted_ = key;
    if (streamsSeen_.size() >= kMostStreamsFollowed || !streamsSeen_.insert(key).second) return;
    statistics_.bulkOutStreams = streamsSeen_.size();
  }

  void Flush() {
    while (window_.FrontSettled()) Take(window_.PopFront());
  }

  void Take(WindowEntry entry) {
    if (!SkipStatusRequests(entry)) return;
    if (!entry.sent) {
      ++statistics_.transfersDropped;
      return;
    }
    std::uint64_t kept = entry.KeptLength();
    std::uint64_t missing = entry.MissingLength();
    if (kept == 0 && missing == 0) return;  // a zero-length packet adds nothing
    // Never happens with room as large as the file; if it did, what does not
    // fit counts as missing rather than being written past the end.
    const std::uint64_t room = data_.size() - length_;
    if (kept > room) {
      missing += kept - room;
      kept = room;
    }
    if (kept != 0) std::memcpy(data_.data() + length_, entry.payload.data(), kept);
    ++statistics_.transfersTaken;
    if (entry.outcome == TransferOutcome::Cut) ++statistics_.transfersCut;
    if (missing != 0) {
      ++statistics_.gaps;
      statistics_.gapBytes += missing;
    }
    answers_.NoteJobTransfer(entry.frame, length_);
    if (transfers_) {
      UsbTransfer transfer;
      transfer.frame = entry.frame;
      transfer.seconds = static_cast<double>(entry.seconds - firstSeconds_);
      transfer.jobOffset = length_;
      transfer.length = kept;
      transfer.missing = missing;
      transfer.outcome = entry.outcome;
      transfers_->push_back(transfer);
    }
    length_ += kept;
  }

  // The job's stream may open with transfers of status requests, and its
  // first job transfer with some; the job begins after them. False when the
  // whole transfer is left out.
  bool SkipStatusRequests(WindowEntry& entry) const {
    if (entry.frame < start_.frame) return entry.KeptLength() == 0;
    if (entry.frame != start_.frame || start_.requestBytes == 0) return true;
    const std::size_t cut = std::min<std::size_t>(start_.requestBytes, entry.payload.size());
    entry.payload = entry.payload.subspan(cut);
    entry.urbLength -= std::min<std::uint64_t>(entry.urbLength, cut);
    if (entry.sentLimit != UINT64_MAX) entry.sentLimit -= std::min<std::uint64_t>(entry.sentLimit, cut);
    return true;
  }

  std::span<std::uint8_t> data_;
  std::vector<UsbTransfer>* transfers_;
  JobStart start_;
  UsbCaptureStatistics& statistics_;
  InTransferList& answers_;
  platform::ProgressSteps& steps_;
  TransferWindow window_;
  std::unordered_set<UsbStreamKey, StreamKeyHash> streamsSeen_;
  std::optional<UsbStreamKey> lastCounted_;
  long double firstSeconds_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace

bool LooksLikeUsbCapture(std::span<const std::uint8_t> firstBytes) {
  static constexpr std::uint8_t kMagics[][4] = {
      {0xA1, 0xB2, 0xC3, 0xD4}, {0xD4, 0xC3, 0xB2, 0xA1},  // pcap, microseconds
      {0xA1, 0xB2, 0x3C, 0x4D}, {0x4D, 0x3C, 0xB2, 0xA1},  // pcap, nanoseconds
      {0x0A, 0x0D, 0x0D, 0x0A},                            // pcapng section header
  };
  if (firstBytes.size() < 4) return false;
  return std::any_of(std::begin(kMagics), std::end(kMagics), [&](const std::uint8_t(&magic)[4]) {
    return std::equal(std::begin(magic), std::end(magic), firstBytes.begin());
  });
}

UsbCaptureResult DecodeUsbCapture(std::span<const std::uint8_t> file, std::span<std::uint8_t> data,
                                  std::vector<UsbTransfer>* transfers,
                                  std::vector<UsbInTransfer>* inTransfers,
                                  const platform::ProgressHook* progress) {
  UsbCaptureResult result;
  if (!LooksLikeUsbCapture(file)) return result;
  result.isUsbCapture = true;
  platform::ProgressSteps steps(progress);
  const std::optional<JobStart> job = StreamSelection(steps).Select(file);
  InTransferList answers(inTransfers, job ? std::optional<UsbStreamKey>(job->key) : std::nullopt);
  JobCollection collection(data, transfers, result.statistics, answers, steps);
  if (!steps.Stopped()) collection.Collect(file, job);
  if (steps.Stopped()) {
    result.cancelled = true;
    return result;
  }
  result.jobLength = collection.JobLength();
  result.jobFound = job.has_value() && result.jobLength != 0;
  return result;
}

}  // namespace tesk::usbcap
