#pragma once
// Reports handed from the server's thread to the thread that converts jobs:
// conversions run one at a time on that one thread, whatever the number of
// senders.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "live/job_report.h"

namespace tesk::live {

class JobQueue {
 public:
  // Called on the pushing thread after each Push and Close, for owners that
  // wait in an event loop instead of in Pop. Set it before the server starts.
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  void Push(JobReport report);
  // No more reports will come; Pop returns none once the queue is empty.
  void Close();
  // The next report, waiting for it; none once closed and empty.
  std::optional<JobReport> Pop();
  // As Pop, but gives up after `milliseconds`.
  std::optional<JobReport> PopWithin(int milliseconds);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<JobReport> reports_;
  bool closed_ = false;
  std::function<void()> onChange_;
};

}  // namespace tesk::live
