#pragma once
// Runs a conversion on a thread of its own, so the window keeps painting and
// answering while a long receipt is read. One run at a time; the loader record
// and the picture it is given belong to that thread until Finished.

#include <QObject>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/job_listing.h"
#include "core/raster_source.h"
#include "core/run_types.h"
#include "image/dib_image.h"

class ConversionWorker : public QObject {
  Q_OBJECT

 public:
  struct Outcome {
    tesk::core::RunFigures figures;
    std::optional<tesk::core::RunMessage> message;
    bool cancelled = false;
    // What the job held, for the readout and the job panel; empty unless the
    // run built a picture.
    tesk::core::JobListing listing;
    // Places where the job depends on a printer's habits, for the notice strip.
    std::size_t lintFindings = 0;
  };

  explicit ConversionWorker(QObject* parent = nullptr);
  // Waits for a run still going; it has been asked to stop first.
  ~ConversionWorker() override;

  void Start(const std::filesystem::path& input, tesk::core::RunOptions options,
             tesk::core::RasterSource& source, tesk::image::DibImage& image);
  // Asks the run to stop at its next stage; the outputs it left are deleted.
  void Cancel() { cancelRequested_ = true; }
  bool Running() const { return thread_ != nullptr; }
  // The outcome of the run that last finished.
  Outcome TakeOutcome() { return std::move(outcome_); }

 signals:
  // Emitted on the run's thread after each stage, and a step at a time while
  // the file is loaded (stagesDone 0, bytesToLoad its size); queued to the window.
  void Progressed(int stagesDone, int stageCount, quint64 bytesLoaded, quint64 bytesToLoad,
                  quint64 bytesDecoded);
  void Finished();

 private:
  void OnThreadFinished();
  static std::size_t CountLintFindings(const std::filesystem::path& loaded,
                                       const tesk::core::RunOptions& options);

  std::unique_ptr<QThread> thread_;
  std::atomic<bool> cancelRequested_ = false;
  Outcome outcome_;
};
