#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tesk::cli {
namespace {

TEST(CliOptions, DefaultsAreTheWindowsInitialOptions) {
  CliOptions options;
  std::string error;
  ASSERT_TRUE(ParseCliOptions({"job.prn"}, options, error));
  EXPECT_TRUE(options.run.keepPlainBinary);
  EXPECT_TRUE(options.run.keepPlainBinaryZip);
  EXPECT_FALSE(options.run.keepPureData);
  EXPECT_TRUE(options.run.keepBitmap);
  EXPECT_TRUE(options.run.keepPng);
  EXPECT_FALSE(options.run.bottomUp);
  EXPECT_EQ(options.run.captureReading, core::CaptureReading::Default);
  EXPECT_EQ(options.files.size(), 1u);
}

TEST(CliOptions, CaptureChoosesTheReader) {
  for (const auto& [arguments, expected] :
       std::vector<std::pair<std::vector<std::string>, core::CaptureReading>>{
           {{"--capture", "whole", "a"}, core::CaptureReading::Whole},
           {{"--capture=whole", "a"}, core::CaptureReading::Whole},
           {{"--capture", "whole", "--capture", "default", "a"}, core::CaptureReading::Default}}) {
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(arguments, options, error)) << error;
    EXPECT_EQ(options.run.captureReading, expected) << arguments[1];
  }
}

TEST(CliOptions, KeepListReplacesTheDefaults) {
  CliOptions options;
  std::string error;
  ASSERT_TRUE(ParseCliOptions({"--keep", "dat,png", "--bottom-up", "a", "b"}, options, error));
  EXPECT_FALSE(options.run.keepPlainBinary);
  EXPECT_FALSE(options.run.keepPlainBinaryZip);
  EXPECT_TRUE(options.run.keepPureData);
  EXPECT_FALSE(options.run.keepBitmap);
  EXPECT_TRUE(options.run.keepPng);
  EXPECT_TRUE(options.run.bottomUp);
  EXPECT_EQ(options.files.size(), 2u);
}

TEST(CliOptions, UsageErrors) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                    {"--keep"},
                                                    {"--keep", "gif", "a"},
                                                    {"--frobnicate", "a"},
                                                    {"--capture"},
                                                    {"--capture", "all", "a"}}) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(arguments, options, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace tesk::cli

namespace tesk::cli {
namespace {

TEST(CliOptions, FilesMayLookLikeOptionsAfterTheSeparator) {
  CliOptions options;
  std::string error;
  ASSERT_TRUE(ParseCliOptions({"a", "--json", "-", "--", "--keep", "-x"}, options, error)) << error;
  EXPECT_TRUE(options.json);
  const std::vector<std::filesystem::path> expected{"a", "-", "--keep", "-x"};
  EXPECT_EQ(options.files, expected);
}

TEST(CliOptions, TheLastOfContradictingOptionsWins) {
  struct Case {
    std::vector<std::string> arguments;
    bool bottomUp;
    core::BandLayoutChoice layout;
    bool keepPng;
  };
  for (const Case& row : std::vector<Case>{
           {{"--bottom-up", "--top-down", "a"}, false, core::BandLayoutChoice::Fixed, true},
           {{"--top-down", "--bottom-up", "a"}, true, core::BandLayoutChoice::Fixed, true},
           {{"--layout=commands", "a"}, false, core::BandLayoutChoice::Commands, true},
           {{"--layout", "commands", "--layout", "fixed", "a"}, false, core::BandLayoutChoice::Fixed, true},
           {{"--keep=png", "--keep", "none", "a"}, false, core::BandLayoutChoice::Fixed, false},
           {{"--keep", "none", "--keep=png", "a"}, false, core::BandLayoutChoice::Fixed, true}}) {
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(row.arguments, options, error)) << error;
    EXPECT_EQ(options.run.bottomUp, row.bottomUp) << row.arguments[0];
    EXPECT_EQ(options.run.layout, row.layout) << row.arguments[0];
    EXPECT_EQ(options.run.keepPng, row.keepPng) << row.arguments[0];
  }
}

TEST(CliOptions, HelpAndVersionNeedNoFile) {
  for (const char* flag : {"--help", "-h", "--version"}) {
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions({flag}, options, error)) << flag << ": " << error;
    EXPECT_TRUE(options.help || options.version) << flag;
  }
}

TEST(CliOptions, RenderPaperLoadsItsProfile) {
  struct Case {
    std::vector<std::string> arguments;
    int width;  // 0: no paper
  };
  for (const Case& test : {Case{{"a"}, 0}, Case{{"--render", "paper", "a"}, 576},
                           Case{{"--render", "paper", "--profile", "58mm-203dpi", "a"}, 384},
                           Case{{"--render", "paper", "--render", "bands", "a"}, 0}}) {
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(test.arguments, options, error)) << error;
    EXPECT_EQ(options.run.paperProfile ? options.run.paperProfile->printableWidth : 0, test.width);
  }
  CliOptions options;
  std::string error;
  EXPECT_FALSE(ParseCliOptions({"--profile", "58mm-203dpi", "a"}, options, error));
  EXPECT_NE(error.find("--render"), std::string::npos) << error;
}

// --lint checks against the profile without drawing the paper.
TEST(CliOptions, LintLoadsItsProfileWithoutThePaper) {
  CliOptions options;
  std::string error;
  ASSERT_TRUE(ParseCliOptions({"--lint", "--profile", "58mm-203dpi", "a", "b"}, options, error)) << error;
  EXPECT_TRUE(options.lint);
  EXPECT_EQ(options.profile.printableWidth, 384);
  EXPECT_FALSE(options.run.paperProfile.has_value());
  EXPECT_EQ(options.files.size(), 2u);
}

TEST(CliOptions, UsageErrorsSayWhatWasWrong) {
  for (const auto& [arguments, expected] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{}, "no input file given"},
           {{"--keep", "bin,gif", "a"},
            "unknown output 'gif' in --keep (bin, zip, dat, bmp, png, all, none)"},
           {{"--layout", "bands", "a"}, "unknown layout 'bands' (fixed, commands)"},
           {{"--capture=all", "a"}, "unknown capture reading 'all' (whole, default)"},
           {{"--render", "pdf", "a"}, "unknown drawing 'pdf' (bands, paper)"},
           {{"--render", "paper", "--profile", "90mm-203dpi", "a"},
            "--profile 90mm-203dpi: no built-in profile of that name and no profile file there"},
           {{"--lint", "--profile", "90mm-203dpi", "a"},
            "--profile 90mm-203dpi: no built-in profile of that name and no profile file there"},
           {{"--profile", "58mm-203dpi", "a"}, "--profile needs --render paper, --lint or --listen"},
           {{"--diff", "a"}, "--diff compares two files, 1 given"},
           {{"--diff", "a", "b", "c"}, "--diff compares two files, 3 given"},
           {{"--lint", "--inspect", "a"},
            "--inspect, --lint and --diff each do a different job; give one of them"}}) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(arguments, options, error));
    EXPECT_EQ(error, expected);
  }
}

TEST(CliOptions, HelpListsEveryOptionWithinEightyColumns) {
  const std::string usage = CliUsage();
  for (const char* shown :
       {"Usage: tesk-cli [OPTION]... FILE...", "--keep LIST", "--bottom-up", "--top-down", "--layout KIND",
        "--capture HOW", "--render WHAT", "--profile NAME|FILE", "--inspect", "--lint", "--diff", "--json",
        "--help", "--version", "Exit status: 0"})
    EXPECT_NE(usage.find(shown), std::string::npos) << shown << "\n" << usage;
  std::stringstream lines(usage);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 80u) << line;
}

TEST(CliOptions, ListenReadsAddressFolderIdleTimeAndPrinter) {
  struct ListenCase {
    std::vector<std::string> arguments;
    const char* host;
    unsigned port;
    int idleMilliseconds;
    bool forwards;
  };
  for (const ListenCase& c : std::vector<ListenCase>{
           {{"--listen", "--out", "jobs"}, "127.0.0.1", 9100, 2000, false},
           {{"--listen", "9101", "--out", "jobs", "--idle", "0.5"}, "127.0.0.1", 9101, 500, false},
           {{"--out", "jobs", "--listen=[::1]:0", "--forward", "printer:9100"}, "::1", 0, 2000, true}}) {
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(c.arguments, options, error)) << error;
    ASSERT_TRUE(options.listen.has_value());
    EXPECT_EQ(options.listen->host, c.host);
    EXPECT_EQ(options.listen->port, c.port);
    EXPECT_EQ(options.outFolder, "jobs");
    EXPECT_EQ(options.idleMilliseconds, c.idleMilliseconds);
    EXPECT_EQ(options.forward.has_value(), c.forwards);
  }
}

}  // namespace
}  // namespace tesk::cli
