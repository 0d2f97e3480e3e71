#pragma once
// What the print server tells its owner about each job it received.

#include <cstdint>
#include <filesystem>
#include <string>

namespace tesk::live {

enum class JobEnd {
  SenderClosed,   // the sender closed its side: the usual end of a job
  IdleTimeout,    // nothing came for the idle time
  SenderReset,    // the connection broke off (reset or error)
  OverCap,        // more than the per-job cap arrived; the connection was closed
  ServerStopped,  // the server stopped while the job was coming in
};

struct JobReport {
  std::uint64_t number = 0;    // jobs reported by this server, counted from 1
  std::string peer;            // the sender, "address:port"
  std::filesystem::path path;  // the saved job; empty when it could not be created
  std::uint64_t bytes = 0;     // bytes of the job: received from its first print data on
  JobEnd end = JobEnd::SenderClosed;
  // The bytes do not make a whole job: the connection broke off, the cap or a
  // stop cut it, or it ends inside a command.
  bool incomplete = false;
  int saveError = 0;  // errno when the job could not be saved whole; 0 when it was
  std::uint64_t queriesAnswered = 0;
  bool forwarded = false;      // a printer to forward to was given
  std::string forwardFailure;  // why forwarding failed; empty when it went through
};

// "sender closed", "idle timeout", ...
const char* JobEndText(JobEnd end);

}  // namespace tesk::live
