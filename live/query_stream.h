#pragma once
// Follows the commands of a job as its bytes arrive in pieces of any size,
// answers the status queries among them, and tells whether anything besides
// queries came (only then is the connection a print job). Dot rows and other
// long payloads are skipped, not kept, so a query byte pattern inside a
// picture is never taken for a query.

#include <cstdint>
#include <span>
#include <vector>

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
  bool InsideCommand() const { return pendingIsCutOff_ || payloadToSkip_ > 0; }
  std::uint64_t QueriesAnswered() const { return queriesAnswered_; }

 private:
  const PrinterStatusAnswers& answers_;
  std::vector<std::uint8_t> pending_;  // the start of a command not yet whole
  bool pendingIsCutOff_ = false;       // pending_ ends inside a command, not just before more bytes
  std::uint64_t payloadToSkip_ = 0;    // bytes still to come of a long command's payload
  std::uint64_t pendingStart_ = 0;      // stream offset of pending_'s first byte
  std::int64_t firstPrintData_ = -1;
  std::uint64_t queriesAnswered_ = 0;
};

}  // namespace tesk::live
