#include "live/job_recorder.h"

#include <utility>

namespace tesk::live {

JobRecorder::JobRecorder(std::filesystem::path folder, std::int64_t startTime,
                         const PrinterStatusAnswers& answers)
    : folder_(std::move(folder)), startTime_(startTime), queries_(answers) {}

void JobRecorder::Take(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& answers) {
  received_ += bytes.size();
  const bool wasJob = queries_.SawPrintData();
  queries_.Take(bytes, answers);
  if (wasJob) {
    Save(bytes);
  } else if (queries_.SawPrintData()) {
    // The job starts with its first print data: status queries before it are
    // answered but are no part of the job, so the saved file begins as the
    // print job does and converts like one.
    held_.insert(held_.end(), bytes.begin(), bytes.end());
    Save(std::span<const std::uint8_t>(held_).subspan(static_cast<std::size_t>(queries_.FirstPrintData())));
    std::vector<std::uint8_t>().swap(held_);
  } else {
    held_.insert(held_.end(), bytes.begin(), bytes.end());
  }
}

void JobRecorder::Save(std::span<const std::uint8_t> bytes) {
  if (!created_) {
    created_ = true;
    if (!file_.Create(folder_, startTime_)) return;
  }
  if (file_.IsOpen()) file_.Write(bytes);
}

void JobRecorder::Finish() {
  if (created_) file_.Finish();
}

}  // namespace tesk::live
