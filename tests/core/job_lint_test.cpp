// One job per finding that raises exactly it, and a clean job that raises
// none, on every built-in profile.

#include "core/job_lint.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "printer/profile.h"
#include "tests/core/job_builder.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::HexBytes;

// ESC @ ESC a 1 ESC 2 puts the first GS v 0 header at offset 7, where the fixed layout looks.
const char* const kPreamble = "1b 40 1b 61 01 1b 32";

Bytes Raster(int widthBytes, int height) {
  Bytes command = {0x1D,
                   0x76,
                   0x30,
                   0x00,
                   static_cast<std::uint8_t>(widthBytes & 0xFF),
                   static_cast<std::uint8_t>(widthBytes >> 8),
                   static_cast<std::uint8_t>(height & 0xFF),
                   static_cast<std::uint8_t>(height >> 8)};
  command.resize(command.size() + static_cast<std::size_t>(widthBytes * height), 0x55);
  return command;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes job;
  for (const Bytes& part : parts) job.insert(job.end(), part.begin(), part.end());
  return job;
}

// Two 384-dot bands in the drivers' layout (ESC J 24 between them) and a short text line.
Bytes CleanJob() {
  return Join({HexBytes(kPreamble), Raster(48, 24), HexBytes("1b 4a 18"), Raster(48, 24),
               HexBytes("1b 4a 18"), HexBytes("48 69 0a")});
}

struct LintCase {
  std::string name;
  std::function<Bytes()> job;
  std::optional<LintCode> expected;  // none: the job is clean
  // The switch the finding needs on a printer; applied to every profile.
  std::function<void(printer::Profile&)> adjust = [](printer::Profile&) {};
};

const std::vector<LintCase>& Cases() {
  static const std::vector<LintCase> cases = {
      {"Clean", CleanJob, std::nullopt},
      {"RasterHeightHighByte",
       [] {
         return Join({HexBytes(kPreamble), Raster(1, 256)});
       },
       LintCode::RasterHeightHighByte, [](printer::Profile& p) { p.quirks.rasterHeightLowByteOnly = true; }},
      {"RasterTooTall",
       [] {
         return Join({HexBytes(kPreamble), Raster(1, 101)});
       },
       LintCode::RasterTooTall, [](printer::Profile& p) { p.quirks.maxRasterHeight = 100; }},
      {"ImageWiderThanPaper",
       [] {
         return Join({HexBytes(kPreamble), Raster(80, 1)});
       },
       LintCode::WiderThanPaper},
      {"TextWiderThanPaper",
       [] {
         return Join({HexBytes("1b 40"), Bytes(61, 'A'), HexBytes("0a")});
       },
       LintCode::WiderThanPaper},
      {"FeedAfterRaster",
       [] {
         return Join({HexBytes(kPreamble), Raster(48, 2), HexBytes("0a")});
       },
       LintCode::FeedAfterRaster},
      {"ColumnImagePitch", [] { return HexBytes("1b 40 1b 2a 00 02 00 ff 81 0a"); },
       LintCode::ColumnImagePitch},
      {"CutOffCommand", [] { return HexBytes("1b 40 1b 4a"); }, LintCode::CutOffCommand},
      {"UnknownBytes", [] { return HexBytes("1b 40 1b 07 48 69 0a"); }, LintCode::UnknownBytes},
      {"NoInitialise", [] { return HexBytes("48 69 0a"); }, LintCode::NoInitialise},
      {"BandWidthDiffers",
       [] {
         return Join({HexBytes(kPreamble), Raster(48, 2), HexBytes("1b 4a 02"), Raster(40, 2)});
       },
       LintCode::BandWidthDiffers},
      {"FixedLayoutMismatch",
       [] {
         return Join({HexBytes(kPreamble), Raster(48, 2), HexBytes("1b 4a 02"), Raster(48, 3)});
       },
       LintCode::FixedLayoutMismatch},
  };
  return cases;
}

std::string CodesOf(const std::vector<LintFinding>& findings) {
  std::string codes;
  for (const LintFinding& finding : findings)
    codes += std::string(codes.empty() ? "" : " ") + LintCodeName(finding.code) + "@" +
             std::to_string(finding.offset);
  return codes;
}

class LintCaseTest : public ::testing::TestWithParam<std::tuple<std::string, std::size_t>> {};

TEST_P(LintCaseTest, RaisesExactlyItsFinding) {
  const auto& [profileName, index] = GetParam();
  const LintCase& lintCase = Cases()[index];
  printer::Profile profile;
  std::string message;
  ASSERT_EQ(printer::LoadProfile(profileName, profile, message), printer::ProfileResult::Loaded) << message;
  profile.name = profileName;
  lintCase.adjust(profile);
  const std::vector<LintFinding> findings = LintJob(lintCase.job(), profile);
  if (!lintCase.expected) {
    EXPECT_TRUE(findings.empty()) << CodesOf(findings);
    return;
  }
  ASSERT_FALSE(findings.empty());
  for (const LintFinding& finding : findings)
    EXPECT_EQ(finding.code, *lintCase.expected) << CodesOf(findings);
  EXPECT_FALSE(findings.front().explanation.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryProfile, LintCaseTest,
                         ::testing::Combine(::testing::ValuesIn(printer::BuiltInProfileNames()),
                                            ::testing::Range<std::size_t>(0, Cases().size())),
                         [](const ::testing::TestParamInfo<LintCaseTest::ParamType>& info) {
                           std::string profile = std::get<0>(info.param);
                           for (char& c : profile)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return "P" + profile + "_" + Cases()[std::get<1>(info.param)].name;
                         });

// Quirks are switches: the same job is clean on a printer without them.
TEST(LintQuirks, FindingsThatNeedAQuirkVanishWithoutIt) {
  printer::Profile profile;
  for (const Bytes& job :
       {Join({HexBytes(kPreamble), Raster(1, 256)}), Join({HexBytes(kPreamble), Raster(1, 101)})})
    EXPECT_EQ(CodesOf(LintJob(job, profile)), "");
}

TEST(LintOffsets, PointAtTheCommandThatCausesThem) {
  printer::Profile profile;
  profile.name = "test";
  const Bytes job = Join({HexBytes(kPreamble), Raster(48, 2), HexBytes("0a 1b 4a")});
  // LF at 7 + 8 + 96 = 111, the cut-off ESC J after it.
  EXPECT_EQ(CodesOf(LintJob(job, profile)), "feed-after-raster@111 cut-off-command@112");
  const Bytes unknownRun = HexBytes("1b 40 1b 07 1b 07 0a");
  EXPECT_EQ(CodesOf(LintJob(unknownRun, profile)), "unknown-bytes@2");
}

}  // namespace
}  // namespace tesk::core
