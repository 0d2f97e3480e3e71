#pragma once
// Tells a long read over a file how far it has come, a step at a time rather
// than at every line or record, and remembers when it was asked to stop.

#include <cstdint>
#include <functional>

namespace tesk::platform {

// Told the position reached; returns false to stop the read.
using ProgressHook = std::function<bool(std::uint64_t position)>;

class ProgressSteps {
 public:
  // Often enough for a bar to move on files of a few megabytes, seldom enough
  // to cost nothing beside the reading itself.
  static constexpr std::uint64_t kStep = std::uint64_t{256} * 1024;

  explicit ProgressSteps(const ProgressHook* hook) : hook_(hook && *hook ? hook : nullptr) {}

  // False once the hook has asked to stop.
  bool Continue(std::uint64_t position) {
    if (!hook_ || position < next_) return !stopped_;
    next_ = position + kStep;
    if (!stopped_ && !(*hook_)(position)) stopped_ = true;
    return !stopped_;
  }
  bool Stopped() const { return stopped_; }

 private:
  const ProgressHook* hook_;
  std::uint64_t next_ = kStep;
  bool stopped_ = false;
};

}  // namespace tesk::platform
