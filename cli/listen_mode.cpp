#include "cli/listen_mode.h"

#include <iostream>

#include "cli/cli_report.h"
#include "cli/command_listing.h"
#include "core/conversion_run.h"
#include "live/print_server.h"
#include "platform/file_system.h"
#include "platform/termination_signals.h"

namespace tesk::cli {
namespace {

live::ServerSettings SettingsFrom(const CliOptions& options) {
  live::ServerSettings settings;
  settings.listen = *options.listen;
  settings.folder = options.outFolder;
  settings.idleMilliseconds = options.idleMilliseconds;
  settings.forward = options.forward;
  settings.answers = live::AnswersFromProfile(options.profile);
  // Ctrl-C stops the server, which saves the jobs in flight and closes the queue.
  settings.stopDescriptor = platform::WatchTerminationSignals();
  return settings;
}

}  // namespace

int ServeJobs(const CliOptions& options) {
  live::JobQueue jobs;
  live::PrintServer server(SettingsFrom(options), jobs);
  // A wrong printer name or a busy port leaves no new folder behind.
  if (server.Prepare() != 0) {
    std::cerr << "tesk-cli: " << server.StartFailure() << "\n";
    return 1;
  }
  if (!platform::IsDirectory(options.outFolder) && !platform::CreateFolder(options.outFolder)) {
    std::cerr << "tesk-cli: cannot create the folder " << options.outFolder.string() << "\n";
    return 1;
  }
  if (server.Start() != 0) {
    std::cerr << "tesk-cli: " << server.StartFailure() << "\n";
    return 1;
  }
  std::cerr << "tesk-cli: listening on " << live::FormatHostPort({options.listen->host, server.Port()})
            << ", saving jobs in " << options.outFolder.string() << " (Ctrl-C ends)\n"
            << std::flush;

  // One loader record and one picture for every job, as for a batch of files:
  // only this thread converts.
  core::RasterSource source;
  image::DibImage image;
  int status = 0;
  while (const auto job = jobs.Pop()) {
    if (job->saveError != 0) status = 1;
    if (job->path.empty()) {
      std::cout << (options.json ? FormatJsonJobReport(*job, nullptr, std::nullopt) + "\n"
                                 : FormatJobHeading(*job) + "\n")
                << std::flush;
      continue;
    }
    if (options.inspect) {
      bool failed = false;
      std::cout << (options.json ? FormatJsonJobReport(*job, nullptr, std::nullopt) : FormatJobHeading(*job))
                << "\n"
                << InspectJob(job->path, options.json, options.run, failed) << std::flush;
      if (failed) status = 1;
      continue;
    }
    core::RunFigures figures;
    const auto message = core::RunConversion(job->path, options.run, figures, source, image);
    if (message) status = 1;
    std::cout << (options.json ? FormatJsonJobReport(*job, &figures, message) + "\n"
                               : FormatJobLine(*job, figures, message))
              << std::flush;
    // As for a file given by name: the JSON report carries the verdict itself.
    if (!options.json) {
      if (const auto warning = LayoutWarning(figures, options.run))
        std::cerr << *warning << "\n" << std::flush;
    }
  }
  server.Wait();
  platform::TakeTerminationRequest();
  std::cerr << "tesk-cli: stopped\n";
  return status;
}

}  // namespace tesk::cli
