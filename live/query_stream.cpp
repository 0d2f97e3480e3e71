#include "live/query_stream.h"

#include <algorithm>

#include "platform/little_endian.h"

namespace tesk::live {
namespace {

// Every command header with a length field (GS v 0, GS ( L, GS 8 L, ESC *)
// is shorter than this, so a cut-off command at least this long has announced
// its length and the rest of it can be counted off instead of kept.
constexpr std::uint64_t kLongestCommandHeader = 16;

using commands::CommandCode;

}  // namespace

void QueryStream::NotePrintData(const commands::CommandRecord& command) {
  if (firstPrintData_ < 0) firstPrintData_ = static_cast<std::int64_t>(pendingStart_ + command.offset);
}

std::size_t QueryStream::SkipPayload(std::span<const std::uint8_t> bytes) {
  std::size_t used = 0;
  while (used < bytes.size() && InsidePayload()) {
    const auto rest = bytes.subspan(used);
    if (payloadToSkip_ > 0) {
      const std::size_t skipped =
          static_cast<std::size_t>(std::min<std::uint64_t>(payloadToSkip_, rest.size()));
      payloadToSkip_ -= skipped;
      used += skipped;
    } else if (skipToNul_) {
      const auto nul = std::find(rest.begin(), rest.end(), std::uint8_t{0});
      skipToNul_ = nul == rest.end();
      used += static_cast<std::size_t>(nul - rest.begin()) + (skipToNul_ ? 0 : 1);
    } else {
      const std::size_t taken = std::min(nvHeader_.size() - nvHeaderHeld_, rest.size());
      std::copy_n(rest.begin(), taken, nvHeader_.begin() + static_cast<std::ptrdiff_t>(nvHeaderHeld_));
      nvHeaderHeld_ += taken;
      used += taken;
      if (nvHeaderHeld_ == nvHeader_.size()) {
        const std::uint64_t width = platform::ReadLe16(nvHeader_.data());
        const std::uint64_t height = platform::ReadLe16(nvHeader_.data() + 2);
        payloadToSkip_ = width * height * 8;
        nvHeaderHeld_ = 0;
        --nvImagesLeft_;
      }
    }
  }
  return used;
}

bool QueryStream::OpenPayload(const commands::CommandRecord& command) {
  const auto bytes =
      std::span<const std::uint8_t>(pending_).subspan(static_cast<std::size_t>(command.offset));
  // Where the command's own header ends and its payload of unknown end begins.
  std::size_t header = 0;
  if (command.code == CommandCode::TabStops) {
    header = 2;
    skipToNul_ = true;
  } else if (command.code == CommandCode::Barcode && bytes.size() >= 3 && bytes[2] < 65) {
    header = 3;
    skipToNul_ = true;
  } else if (command.code == CommandCode::DefineNvBitImage && bytes.size() >= 3) {
    // The length the scanner announces counts only the images whose headers
    // came; each later header is read as it arrives.
    header = 3;
    nvImagesLeft_ = bytes[2];
  } else if (command.length >= kLongestCommandHeader) {
    header = bytes.size();
    payloadToSkip_ = command.needed - command.length;
  } else {
    return false;
  }
  SkipPayload(bytes.subspan(header));
  return true;
}

void QueryStream::ScanPending(std::vector<std::uint8_t>& answers) {
  std::uint64_t consumed = 0;
  bool waiting = false;
  pendingIsCutOff_ = false;
  commands::ScanCommands(pending_, [&](const commands::CommandRecord& command) {
    if (waiting) return;
    if (command.cutOff) {
      if (OpenPayload(command)) {
        consumed = pending_.size();
        NotePrintData(command);
      } else {
        waiting = true;  // the rest of the command comes with the next bytes
        pendingIsCutOff_ = true;
        const auto start = std::span<const std::uint8_t>(pending_).subspan(command.offset);
        if (!MayStartStatusQuery(start)) NotePrintData(command);
      }
      return;
    }
    if (command.type == commands::CommandType::Unknown && command.length == 2 &&
        command.offset + command.length == pending_.size()) {
      // Two bytes unknown so far may be the start of a command with a longer
      // prefix (GS v 0). Whatever follows, they print something: no query has
      // such a start.
      waiting = true;
      NotePrintData(command);
      return;
    }
    if (IsStatusQuery(command, pending_)) {
      const std::size_t before = answers.size();
      AppendStatusAnswer(command, pending_, answers_, answers);
      if (answers.size() != before) ++queriesAnswered_;
    } else {
      NotePrintData(command);
    }
    consumed = command.offset + command.length;
  });
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(consumed));
  pendingStart_ += consumed;
}

void QueryStream::Take(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& answers) {
  const std::size_t skipped = SkipPayload(bytes);
  pendingStart_ += skipped;
  bytes = bytes.subspan(skipped);
  if (bytes.empty()) return;
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  ScanPending(answers);
}

}  // namespace tesk::live
