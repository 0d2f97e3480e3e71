#include "live/query_stream.h"

#include <algorithm>

namespace tesk::live {
namespace {

// Every command header with a length field (GS v 0, GS ( L, GS 8 L, ESC *)
// is shorter than this, so a cut-off command at least this long has announced
// its length and the rest of it can be counted off instead of kept.
constexpr std::uint64_t kLongestCommandHeader = 16;
// A command whose end cannot be counted (a NUL-terminated one) is kept in
// memory up to this size; beyond it the bytes are taken as print data.
constexpr std::uint64_t kLongestHeldCommand = 64 * 1024;

}  // namespace

void QueryStream::Take(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& answers) {
  const std::uint64_t skipped = std::min<std::uint64_t>(payloadToSkip_, bytes.size());
  payloadToSkip_ -= skipped;
  pendingStart_ += skipped;
  bytes = bytes.subspan(static_cast<std::size_t>(skipped));
  if (bytes.empty()) return;

  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  std::uint64_t consumed = 0;
  bool waiting = false;
  pendingIsCutOff_ = false;
  const auto notePrintData = [this](const commands::CommandRecord& command) {
    if (firstPrintData_ < 0) firstPrintData_ = static_cast<std::int64_t>(pendingStart_ + command.offset);
  };
  commands::ScanCommands(pending_, [&](const commands::CommandRecord& command) {
    if (waiting) return;
    if (command.cutOff) {
      const bool lengthKnown = command.length >= kLongestCommandHeader;
      const bool endsAtNul = command.needed == command.length + 1;
      if (lengthKnown && !endsAtNul) {
        payloadToSkip_ = command.needed - command.length;
        consumed = pending_.size();
        notePrintData(command);
      } else if (command.length > kLongestHeldCommand) {
        consumed = pending_.size();
        notePrintData(command);
      } else {
        waiting = true;  // the rest of the command comes with the next bytes
        pendingIsCutOff_ = true;
        const auto start = std::span<const std::uint8_t>(pending_).subspan(command.offset);
        if (!MayStartStatusQuery(start)) notePrintData(command);
      }
      return;
    }
    if (command.type == commands::CommandType::Unknown && command.length == 2 &&
        command.offset + command.length == pending_.size()) {
      // Two bytes unknown so far may be the start of a command with a longer
      // prefix (GS v 0). Whatever follows, they print something: no query has
      // such a start.
      waiting = true;
      notePrintData(command);
      return;
    }
    if (IsStatusQuery(command, pending_)) {
      const std::size_t before = answers.size();
      AppendStatusAnswer(command, pending_, answers_, answers);
      if (answers.size() != before) ++queriesAnswered_;
    } else {
      notePrintData(command);
    }
    consumed = command.offset + command.length;
  });
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(consumed));
  pendingStart_ += consumed;
}

}  // namespace tesk::live
