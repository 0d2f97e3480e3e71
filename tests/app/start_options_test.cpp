#include <gtest/gtest.h>

#include <QDir>
#include <ostream>

#include "app/tesk_app.h"

namespace {

struct OptionsCase {
  const char* name;
  QStringList arguments;  // after the program's name
  QString file;
  bool reportReady;
  bool error;
};

// Table rows print as their names.
void PrintTo(const OptionsCase& row, std::ostream* out) { *out << row.name; }

const OptionsCase kOptionsCases[] = {
    {"Nothing", {}, "", false, false},
    {"OneFile", {"/jobs/a.prn"}, "/jobs/a.prn", false, false},
    {"OnlyTheFirstFileCounts", {"/jobs/a.prn", "/jobs/b.prn"}, "/jobs/a.prn", false, false},
    {"RelativeFileBecomesAbsolute", {"a.prn"}, QDir::current().absoluteFilePath("a.prn"), false, false},
    {"ReportReady", {"--report-ready", "/jobs/a.prn"}, "/jobs/a.prn", true, false},
    {"AfterDoubleDashADashIsAFile",
     {"--", "-a.prn"},
     QDir::current().absoluteFilePath("-a.prn"),
     false,
     false},
    {"UnknownOption", {"--frobnicate"}, "", false, true},
    {"ZoomAndPanel", {"--zoom=4", "--job-panel", "/jobs/a.prn"}, "/jobs/a.prn", false, false},
    {"ZoomToFit", {"--zoom=width", "/jobs/a.prn"}, "/jobs/a.prn", false, false},
    {"ZoomBeyondSixteen", {"--zoom=32"}, "", false, true},
    {"ZoomThatIsNoFactor", {"--zoom=big"}, "", false, true},
};

class StartOptionsTable : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(StartOptionsTable, ReadsTheCommandLine) {
  const OptionsCase& c = GetParam();
  const StartOptions options = ParseStartOptions(QStringList{"tesk"} + c.arguments);
  EXPECT_EQ(options.file.toStdString(), c.file.toStdString());
  EXPECT_EQ(options.reportReady, c.reportReady);
  EXPECT_EQ(!options.error.isEmpty(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Table, StartOptionsTable, ::testing::ValuesIn(kOptionsCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
