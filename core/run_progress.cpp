#include "core/run_progress.h"

#include "platform/file_system.h"

namespace tesk::core {

bool ContinueRun(const RunOptions& options, RunFigures& figures, int stagesDone, std::uint64_t bytesLoaded) {
  if (!options.progress) return true;
  if (options.progress({stagesDone, kReportedRunStages, bytesLoaded})) return true;
  // Only what this run wrote and kept is in the list: the files that were
  // there before it stay, and those it deleted are gone already.
  for (const std::filesystem::path& output : figures.keptOutputs) platform::DeleteOutputFile(output);
  figures.keptOutputs.clear();
  // The picture of a stopped run is not to be shown.
  figures.imageReady = false;
  return false;
}

LoadProgressHook LoadProgressOf(const RunOptions& options) {
  if (!options.progress) return {};
  return [hook = options.progress](const LoadProgress& load) {
    RunProgress progress;
    progress.stageCount = kReportedRunStages;
    progress.bytesLoaded = load.bytesRead;
    progress.bytesToLoad = load.fileSize;
    progress.bytesDecoded = load.bytesDecoded;
    return hook(progress);
  };
}

void ReportRunDone(const RunOptions& options, std::uint64_t bytesLoaded) {
  if (options.progress) options.progress({kReportedRunStages, kReportedRunStages, bytesLoaded});
}

}  // namespace tesk::core
