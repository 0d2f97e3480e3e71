#include "tests/support/child_process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace tesk::testing {

std::string ChildOutcome::Describe() const {
  if (exited) return "exited with " + std::to_string(status);
  if (signal == SIGALRM) return "timed out (a hang)";
  return std::string("killed by signal ") + std::to_string(signal) + " (" + strsignal(signal) + ")";
}

ChildOutcome RunInChild(const std::function<int()>& body, unsigned seconds, std::uint64_t addressSpaceBytes) {
  ChildOutcome outcome;
  const pid_t child = ::fork();
  if (child < 0) return outcome;
  if (child == 0) {
    if (addressSpaceBytes != 0) {
      const rlimit limit{static_cast<rlim_t>(addressSpaceBytes), static_cast<rlim_t>(addressSpaceBytes)};
      if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(120);
    }
    ::alarm(seconds);
    ::_exit(body());
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  if (WIFEXITED(status)) {
    outcome.exited = true;
    outcome.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
  return outcome;
}

}  // namespace tesk::testing
