#include "live/job_queue.h"

#include <chrono>
#include <utility>

namespace tesk::live {

void JobQueue::Push(JobReport report) {
  {
    const std::lock_guard lock(mutex_);
    reports_.push_back(std::move(report));
  }
  changed_.notify_all();
  if (onChange_) onChange_();
}

void JobQueue::Close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
  if (onChange_) onChange_();
}

std::optional<JobReport> JobQueue::Pop() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return closed_ || !reports_.empty(); });
  if (reports_.empty()) return std::nullopt;
  JobReport report = std::move(reports_.front());
  reports_.pop_front();
  return report;
}

std::optional<JobReport> JobQueue::PopWithin(int milliseconds) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                    [this] { return closed_ || !reports_.empty(); });
  if (reports_.empty()) return std::nullopt;
  JobReport report = std::move(reports_.front());
  reports_.pop_front();
  return report;
}

}  // namespace tesk::live
