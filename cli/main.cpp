// tesk-cli: the window's conversion, run from a shell over any number of files.

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_report.h"
#include "cli/command_listing.h"
#include "cli/listen_mode.h"
#include "core/conversion_run.h"

int main(int argc, char** argv) {
  using namespace tesk;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  cli::CliOptions options;
  std::string error;
  if (!cli::ParseCliOptions(arguments, options, error)) {
    std::cerr << "tesk-cli: " << error << "\nTry 'tesk-cli --help' for more information.\n";
    return 2;
  }
  if (options.help) {
    std::cout << cli::CliUsage();
    return 0;
  }
  if (options.version) {
    std::cout << "tesk-cli 1.0.0.1\n";
    return 0;
  }

  if (options.listen) return cli::ServeJobs(options);

  // One loader record and one picture for the whole batch, as the window has.
  core::RasterSource source;
  image::DibImage image;
  const bool showProgress = options.files.size() > 1 && ::isatty(STDERR_FILENO);
  int status = 0;
  for (std::size_t index = 0; index < options.files.size(); ++index) {
    const auto& file = options.files[index];
    if (showProgress)
      std::cerr << "\r[" << index + 1 << "/" << options.files.size() << "] " << file.string()
                << "\x1b[K" << std::flush;
    if (options.inspect) {
      bool failed = false;
      std::cout << cli::InspectJob(file, options.json, options.run, failed) << std::flush;
      if (failed) status = 1;
      continue;
    }
    core::RunFigures figures;
    const auto message = core::RunConversion(file, options.run, figures, source, image);
    if (message) status = 1;
    std::cout << (options.json ? cli::FormatJsonReport(file, figures, message) + "\n"
                               : cli::FormatTextReport(file, figures, message))
              << std::flush;
    // The JSON report carries the verdict itself.
    if (!options.json) {
      if (const auto warning = cli::LayoutWarning(figures, options.run)) std::cerr << *warning << "\n" << std::flush;
    }
  }
  if (showProgress) std::cerr << "\r\x1b[K" << std::flush;
  return status;
}
