#include "live/job_report.h"

namespace tesk::live {

const char* JobEndText(JobEnd end) {
  switch (end) {
    case JobEnd::SenderClosed: return "sender closed";
    case JobEnd::IdleTimeout: return "idle timeout";
    case JobEnd::SenderReset: return "connection broken off";
    case JobEnd::OverCap: return "over the job size cap";
    case JobEnd::ServerStopped: return "server stopped";
  }
  return "?";
}

}  // namespace tesk::live
