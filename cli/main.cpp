// tesk-cli: the window's conversion, run from a shell over any number of files.

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_report.h"
#include "cli/command_listing.h"
#include "cli/comparison_report.h"
#include "cli/lint_report.h"
#include "cli/listen_mode.h"
#include "core/conversion_run.h"
#include "core/job_comparison.h"
#include "tesk_version.h"

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
    std::cout << "tesk-cli " TESK_VERSION "\n";
    return 0;
  }

  if (options.listen) return cli::ServeJobs(options);

  if (options.diff) {
    core::JobComparisonOptions comparing;
    comparing.run = options.run;
    const core::JobComparison comparison = core::CompareJobs(options.files[0], options.files[1], comparing);
    std::cout << (options.json ? cli::ComparisonJson(options.files[0], options.files[1], comparison)
                               : cli::ComparisonText(options.files[0], options.files[1], comparison))
              << std::flush;
    return cli::ComparisonExitStatus(comparison);
  }

  // One loader record and one picture for the whole batch, as the window has.
  core::RasterSource source;
  image::DibImage image;
  const bool showProgress = options.files.size() > 1 && ::isatty(STDERR_FILENO);
  int status = 0;
  for (std::size_t index = 0; index < options.files.size(); ++index) {
    const auto& file = options.files[index];
    if (showProgress)
      std::cerr << "\r[" << index + 1 << "/" << options.files.size() << "] " << file.string() << "\x1b[K"
                << std::flush;
    if (options.lint) {
      cli::LintOutcome outcome = cli::LintOutcome::Clean;
      std::cout << cli::LintFile(file, options.json, options.run, options.profile, outcome) << std::flush;
      if (outcome != cli::LintOutcome::Clean) status = 1;
      continue;
    }
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
      if (const auto warning = cli::LayoutWarning(figures, options.run))
        std::cerr << *warning << "\n" << std::flush;
    }
  }
  if (showProgress) std::cerr << "\r\x1b[K" << std::flush;
  return status;
}
