#include "cli/cli_options.h"

#include <gtest/gtest.h>

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
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"--keep"}, {"--keep", "gif", "a"}, {"--frobnicate", "a"},
        {"--capture"}, {"--capture", "all", "a"}}) {
    CliOptions options;
    std::string error;
    EXPECT_FALSE(ParseCliOptions(arguments, options, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace tesk::cli
