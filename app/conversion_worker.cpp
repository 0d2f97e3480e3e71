#include "app/conversion_worker.h"

#include <algorithm>

#include "core/conversion_run.h"
#include "core/job_lint.h"
#include "printer/profile.h"

ConversionWorker::ConversionWorker(QObject* parent) : QObject(parent) {}

ConversionWorker::~ConversionWorker() {
  if (!thread_) return;
  Cancel();
  thread_->wait();
}

void ConversionWorker::Start(const std::filesystem::path& input, tesk::core::RunOptions options,
                             tesk::core::RasterSource& source, tesk::image::DibImage& image) {
  if (thread_) return;
  cancelRequested_ = false;
  outcome_ = Outcome{};
  options.progress = [this](const tesk::core::RunProgress& progress) {
    emit Progressed(progress.stagesDone, progress.stageCount, progress.bytesLoaded, progress.bytesToLoad,
                    progress.bytesDecoded);
    return !cancelRequested_;
  };
  thread_.reset(QThread::create([this, input, options, &source, &image] {
    Outcome outcome;
    outcome.message = tesk::core::RunConversion(input, options, outcome.figures, source, image);
    outcome.cancelled = outcome.message && outcome.message->code == tesk::core::RunMessageCode::Cancelled;
    if (outcome.figures.imageReady) {
      outcome.listing =
          tesk::core::ListJob(outcome.figures.loadedPath, options.captureReading, options.layout);
      outcome.lintFindings = CountLintFindings(outcome.figures.loadedPath, options);
    }
    outcome_ = std::move(outcome);
  }));
  connect(thread_.get(), &QThread::finished, this, &ConversionWorker::OnThreadFinished, Qt::QueuedConnection);
  thread_->start();
}

std::size_t ConversionWorker::CountLintFindings(const std::filesystem::path& loaded,
                                                const tesk::core::RunOptions& options) {
  const tesk::printer::Profile profile =
      options.paperProfile ? *options.paperProfile : tesk::printer::DefaultProfile();
  const auto findings = tesk::core::LintFile(loaded, options, profile);
  if (!findings) return 0;
  // The strip speaks of the fixed layout in its own words, and the command
  // reading does not use it: that finding is not counted twice or out of place.
  return static_cast<std::size_t>(
      std::count_if(findings->begin(), findings->end(), [](const tesk::core::LintFinding& finding) {
        return finding.code != tesk::core::LintCode::FixedLayoutMismatch;
      }));
}

void ConversionWorker::OnThreadFinished() {
  // The thread is over; what it wrote in outcome_ is ours now.
  thread_->wait();
  thread_.reset();
  emit Finished();
}
