#pragma once
// Runs a piece of a test in a child process, so that a hang fails the test
// after a timeout instead of blocking CI, and a memory limit or a crash stays
// in the child.

#include <cstdint>
#include <functional>
#include <string>

namespace tesk::testing {

struct ChildOutcome {
  bool exited = false;  // false: killed by a signal (the timeout's SIGALRM, or a crash)
  int status = -1;      // the exit status when it exited
  int signal = 0;       // the signal when it did not
  std::string Describe() const;
};

// Forks, runs `body` in the child under an alarm of `seconds` and, when
// `addressSpaceBytes` is not 0, under that limit of address space; the child
// exits with what `body` returns.
ChildOutcome RunInChild(const std::function<int()>& body, unsigned seconds,
                        std::uint64_t addressSpaceBytes = 0);

// True when the tests were built with AddressSanitizer or ThreadSanitizer,
// which reserve far more address space than any limit a test could set.
constexpr bool kBuiltWithAddressSpaceSanitizer =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace tesk::testing
