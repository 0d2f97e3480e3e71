#include "cli/lint_report.h"

#include "cli/json_text.h"
#include "core/job_lint.h"

namespace tesk::cli {

std::string LintFile(const std::filesystem::path& input, bool json, const core::RunOptions& options,
                     const printer::Profile& profile, LintOutcome& outcome) {
  const std::optional<std::vector<core::LintFinding>> linted = core::LintFile(input, options, profile);
  if (!linted) {
    outcome = LintOutcome::NoJob;
    const std::string message = "holds no print job (or cannot be opened)";
    if (!json) return input.string() + ": " + message + "\n";
    Json report = Json::object();
    PutPath(report, "path", input);
    report["message"] = message;
    return DumpJson(report) + "\n";
  }
  const std::vector<core::LintFinding>& findings = *linted;
  outcome = findings.empty() ? LintOutcome::Clean : LintOutcome::Findings;
  if (json) {
    Json report = Json::object();
    PutPath(report, "path", input);
    report["profile"] = profile.name;
    Json list = Json::array();
    for (const core::LintFinding& finding : findings)
      list.push_back(Json{{"code", core::LintCodeName(finding.code)},
                          {"offset", finding.offset},
                          {"explanation", finding.explanation}});
    report["findings"] = std::move(list);
    return DumpJson(report) + "\n";
  }
  std::string text;
  for (const core::LintFinding& finding : findings)
    text += input.string() + ":" + std::to_string(finding.offset) + ": " + core::LintCodeName(finding.code) +
            ": " + finding.explanation + "\n";
  return text;
}

}  // namespace tesk::cli
