#pragma once
// The run's side of its progress hook.

#include <cstdint>

#include "core/raster_source.h"
#include "core/run_types.h"

namespace tesk::core {

// The stages after which a run tells its progress.
inline constexpr int kReportedRunStages = 7;

// Tells the hook (if any) that `stagesDone` of the reported stages are done.
// When the hook asks to stop, the outputs the run has left so far are deleted
// and their sizes forgotten, and false is returned.
bool ContinueRun(const RunOptions& options, RunFigures& figures, int stagesDone, std::uint64_t bytesLoaded);

// The loader's hook that tells the run's hook how the load goes; none when the
// run has no hook.
LoadProgressHook LoadProgressOf(const RunOptions& options);

// Tells the hook that every stage is done; there is nothing left to stop.
void ReportRunDone(const RunOptions& options, std::uint64_t bytesLoaded);

}  // namespace tesk::core
