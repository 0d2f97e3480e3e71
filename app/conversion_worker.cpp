#include "app/conversion_worker.h"

#include "core/conversion_run.h"

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
    emit Progressed(progress.stagesDone, progress.stageCount, progress.bytesLoaded);
    return !cancelRequested_;
  };
  thread_.reset(QThread::create([this, input, options, &source, &image] {
    Outcome outcome;
    outcome.message = tesk::core::RunConversion(input, options, outcome.figures, source, image);
    outcome.cancelled =
        outcome.message && outcome.message->code == tesk::core::RunMessageCode::Cancelled;
    if (outcome.figures.imageReady)
      outcome.listing = tesk::core::ListJob(outcome.figures.loadedPath, options.captureReading,
                                            options.layout);
    outcome_ = std::move(outcome);
  }));
  connect(thread_.get(), &QThread::finished, this, &ConversionWorker::OnThreadFinished,
          Qt::QueuedConnection);
  thread_->start();
}

void ConversionWorker::OnThreadFinished() {
  // The thread is over; what it wrote in outcome_ is ours now.
  thread_->wait();
  thread_.reset();
  emit Finished();
}
