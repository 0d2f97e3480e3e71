#pragma once
// Follows the commands of a job as its bytes arrive in pieces of any size,
// answers the status queries among them, and tells whether anything besides
// queries came (only then is the connection a print job). Dot rows and other
// long payloads are skipped, not kept, so a query byte pattern inside a
// picture is never taken for a query.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "commands/command_scanner.h"
#include "live/status_answers.h"

namespace tesk::live {

class QueryStream {
 public:
  explicit QueryStream(const PrinterStatusAnswers& answers) : answers_(answers) {}

  // Takes the next bytes received; answers for the queries now whole are
  // appended to `answers`.
  void Take(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& answers);

  bool SawPrintData() const { return firstPrintData_ >= 0; }
  // Where in the stream the first print data starts; -1 while none came.
  std::int64_t FirstPrintData() const { return firstPrintData_; }
  // The bytes so far end inside a command.
  bool InsideCommand() const { return pendingIsCutOff_ || InsidePayload(); }
  std::uint64_t QueriesAnswered() const { return queriesAnswered_; }

 private:
  bool InsidePayload() const { return payloadToSkip_ > 0 || skipToNul_ || nvImagesLeft_ > 0; }
  // Passes over the bytes of the open command's payload; returns how many
  // belonged to it (all of them while it goes on).
  std::size_t SkipPayload(std::span<const std::uint8_t> bytes);
  // Takes the command cut off at the end of pending_: opens its payload when
  // its end can be found without keeping it, else keeps waiting for more.
  // Returns whether pending_ is used up.
  bool OpenPayload(const commands::CommandRecord& command);
  void ScanPending(std::vector<std::uint8_t>& answers);
  void NotePrintData(const commands::CommandRecord& command);

  const PrinterStatusAnswers& answers_;
  std::vector<std::uint8_t> pending_;  // the start of a command not yet whole
  bool pendingIsCutOff_ = false;       // pending_ ends inside a command, not just before more bytes
  std::uint64_t pendingStart_ = 0;     // stream offset of pending_'s first byte
  // The payload of a command that goes on beyond the bytes so far: a counted
  // number of bytes, bytes up to a NUL, or NV images whose headers (width and
  // height, 4 bytes) come one after another's dots.
  std::uint64_t payloadToSkip_ = 0;
  bool skipToNul_ = false;
  std::uint64_t nvImagesLeft_ = 0;
  std::array<std::uint8_t, 4> nvHeader_{};
  std::size_t nvHeaderHeld_ = 0;
  std::int64_t firstPrintData_ = -1;
  std::uint64_t queriesAnswered_ = 0;
};

}  // namespace tesk::live
