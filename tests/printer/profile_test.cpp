#include "printer/profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/support/temp_folder.h"

namespace tesk::printer {
namespace {

TEST(BuiltInProfiles, AreTheCommon203DpiBaselines) {
  EXPECT_EQ(BuiltInProfileNames(), (std::vector<std::string>{"80mm-203dpi", "58mm-203dpi"}));
  for (const auto& [name, width] : {std::pair{"80mm-203dpi", 576}, std::pair{"58mm-203dpi", 384}}) {
    Profile profile;
    std::string message;
    ASSERT_EQ(LoadProfile(name, profile, message), ProfileResult::Loaded) << message;
    EXPECT_EQ(profile.name, name);
    EXPECT_EQ(profile.printableWidth, width);
    EXPECT_EQ(profile.dpi, 203);
    EXPECT_EQ(profile.defaultLineSpacing, 30);
    EXPECT_EQ(profile.columnImageVerticalPitch, 3);
    EXPECT_EQ(profile.verticalMotionUnit, 203);
    ASSERT_EQ(profile.fonts.size(), 2u);
    EXPECT_EQ(profile.fonts[0].width, 12);
    EXPECT_EQ(profile.fonts[1].height, 17);
    EXPECT_EQ(profile.codePages, StandardCodePages());
    EXPECT_EQ(profile.multibyte.encoding, "GB18030");
    EXPECT_FALSE(profile.multibyte.onAfterInitialise);
    EXPECT_EQ(profile.multibyte.cell.width, 24);
  }
}

TEST(UserProfiles, AddCodePagesAndMultibyteSettings) {
  Profile profile;
  std::string message;
  ASSERT_EQ(ParseProfile(R"({"codePages": {"25": "CP1257", "0": "CP850"},
                             "multibyte": {"encoding": "BIG5", "onAfterInitialise": true, "height": 20}})",
                         profile, message),
            ProfileResult::Loaded)
      << message;
  EXPECT_EQ(profile.codePages.at(25), "CP1257");
  EXPECT_EQ(profile.codePages.at(0), "CP850");
  EXPECT_EQ(profile.codePages.at(16), "CP1252");  // the standard pages stay
  EXPECT_EQ(profile.multibyte.encoding, "BIG5");
  EXPECT_TRUE(profile.multibyte.onAfterInitialise);
  EXPECT_EQ(profile.multibyte.cell.width, 24);
  EXPECT_EQ(profile.multibyte.cell.height, 20);
}

TEST(UserProfiles, StatusAndIdentityKeepTheBaselineWhereUnnamed) {
  Profile profile;
  std::string message;
  ASSERT_EQ(ParseProfile(R"({"status": {"paperRollSensor": 114}, "identity": {"makerName": "Bench"}})",
                         profile, message),
            ProfileResult::Loaded)
      << message;
  EXPECT_EQ(profile.answers.paperRollSensor, 0x72);
  EXPECT_EQ(profile.answers.makerName, "Bench");
  EXPECT_EQ(profile.answers.printerStatus, 0x12);
  EXPECT_EQ(profile.answers.modelName, StatusAnswers().modelName);
  // The built-in profiles answer as a printer with nothing to report.
  Profile builtIn;
  ASSERT_EQ(LoadProfile(kDefaultProfileName, builtIn, message), ProfileResult::Loaded);
  EXPECT_EQ(builtIn.answers.errorCause, 0x12);
  EXPECT_EQ(builtIn.answers.paperSensor, 0x00);
  EXPECT_EQ(builtIn.answers.makerName, "Tesk");
  EXPECT_EQ(builtIn.answers.automaticStatus, StatusAnswers().automaticStatus);
  EXPECT_EQ(builtIn.answers.inkStatusA, 0x12);
}

TEST(BuiltInProfiles, SayWhereEveryValueCameFrom) {
  for (const char* name : {"80mm-203dpi", "58mm-203dpi"}) {
    std::ifstream file(std::string(TESK_PROFILES_DIR) + "/" + name + ".json");
    const nlohmann::json profile = nlohmann::json::parse(file);
    for (const auto& [key, value] : profile.items()) {
      if (key == "name" || key == "description" || key == "sources") continue;
      EXPECT_TRUE(profile["sources"].contains(key)) << name << ": " << key << " has no source";
    }
  }
}

TEST(UserProfiles, NameOnlyWhereThePrinterDiffers) {
  testing::TempFolder folder;
  testing::WriteFile(
      folder / "mine.json",
      "{ // a printer that ignores ESC J\n"
      "  \"name\": \"mine\", \"printableWidth\": 512, \"quirks\": {\"feedDotsIgnored\": true} }");
  Profile profile;
  std::string message;
  ASSERT_EQ(LoadProfile((folder / "mine.json").string(), profile, message), ProfileResult::Loaded) << message;
  EXPECT_EQ(profile.name, "mine");
  EXPECT_EQ(profile.printableWidth, 512);
  EXPECT_TRUE(profile.quirks.feedDotsIgnored);
  EXPECT_FALSE(profile.quirks.lineFeedAfterRasterSwallowed);
  EXPECT_EQ(profile.defaultLineSpacing, 30);
}

struct BadProfile {
  const char* name;
  const char* json;
  ProfileResult result;
  const char* message;
};

class BadProfiles : public ::testing::TestWithParam<BadProfile> {};

TEST_P(BadProfiles, AreRefusedWithAReason) {
  Profile profile;
  profile.name = "untouched";
  std::string message;
  EXPECT_EQ(ParseProfile(GetParam().json, profile, message), GetParam().result);
  EXPECT_EQ(message, GetParam().message);
  EXPECT_EQ(profile.name, "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, BadProfiles,
    ::testing::Values(
        BadProfile{"NotJson", "{", ProfileResult::NotJson, "not JSON"},
        BadProfile{"NotAnObject", "[]", ProfileResult::BadValue, "a profile is a JSON object"},
        BadProfile{"WidthZero", R"({"printableWidth": 0})", ProfileResult::BadValue,
                   "\"printableWidth\" must be a whole number from 8 to 524280"},
        BadProfile{"DpiText", R"({"dpi": "203"})", ProfileResult::BadValue,
                   "\"dpi\" must be a whole number from 50 to 2400"},
        BadProfile{"QuirkNotASwitch", R"({"quirks": {"feedDotsIgnored": 1}})", ProfileResult::BadValue,
                   "\"feedDotsIgnored\" must be true or false"},
        BadProfile{"UnitsNotAnObject", R"({"motionUnits": 203})", ProfileResult::BadValue,
                   "\"motionUnits\" must be an object"},
        BadProfile{"FontWithoutHeight", R"({"fonts": [{"name": "A", "height": 0}]})", ProfileResult::BadValue,
                   "\"height\" must be a whole number from 1 to 255"},
        BadProfile{"CodePageNumberNotANumber", R"({"codePages": {"x": "CP437"}})", ProfileResult::BadValue,
                   "\"codePages\" maps numbers 0 to 255 to character set names"},
        BadProfile{"StatusByteTooLarge", R"({"status": {"paperRollSensor": 256}})", ProfileResult::BadValue,
                   "\"paperRollSensor\" must be a whole number from 0 to 255"},
        BadProfile{"AutomaticStatusShort", R"({"status": {"automaticStatus": [16, 0, 0]}})",
                   ProfileResult::BadValue,
                   "\"automaticStatus\" must be a list of 4 whole numbers from 0 to 255"},
        BadProfile{"IdentityTextWithNul", R"({"identity": {"modelName": "A\u0000B"}})",
                   ProfileResult::BadValue, "\"modelName\" must be at most 80 bytes without NUL"},
        BadProfile{"MultibyteCellTooWide", R"({"multibyte": {"width": 100}})", ProfileResult::BadValue,
                   "\"width\" must be a whole number from 1 to 64"}),
    [](const ::testing::TestParamInfo<BadProfile>& info) { return std::string(info.param.name); });

TEST(UserProfiles, AMissingFileIsNotFound) {
  Profile profile;
  std::string message;
  EXPECT_EQ(LoadProfile("/nonexistent/printer.json", profile, message), ProfileResult::NotFound);
  EXPECT_EQ(LoadProfile("90mm-203dpi", profile, message), ProfileResult::NotFound);
}

}  // namespace
}  // namespace tesk::printer
