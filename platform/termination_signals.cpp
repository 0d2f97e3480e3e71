#include "platform/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tesk::platform {
namespace {

int pipeEnds[2] = {-1, -1};

void OnTerminationSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // Async-signal-safe; a full pipe already tells the loop what it needs to know.
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

int WatchTerminationSignals() {
  if (pipeEnds[0] >= 0) return pipeEnds[0];
  if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
    pipeEnds[0] = pipeEnds[1] = -1;
    return -1;
  }
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  return pipeEnds[0];
}

bool TakeTerminationRequest() {
  if (pipeEnds[0] < 0) return false;
  bool requested = false;
  char bytes[16];
  while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) requested = true;
  return requested;
}

}  // namespace tesk::platform
