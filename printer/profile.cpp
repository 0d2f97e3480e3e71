#include "printer/profile.h"

#include <array>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "platform/input_file.h"
#include "printer/builtin_profiles.h"

namespace tesk::printer {
namespace {

using nlohmann::json;

// A profile is a page of settings; anything much larger is not one.
constexpr std::uint64_t kLargestProfileFile = 1024 * 1024;

// Reads an integer member into `value` when present; false with `message`
// set when it is there but no integer in [low, high].
bool ReadInteger(const json& object, const char* key, int low, int high, int& value, std::string& message) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  if (!found->is_number_integer() || found->get<std::int64_t>() < low || found->get<std::int64_t>() > high) {
    message = std::string("\"") + key + "\" must be a whole number from " + std::to_string(low) + " to " +
              std::to_string(high);
    return false;
  }
  value = static_cast<int>(found->get<std::int64_t>());
  return true;
}

bool ReadSwitch(const json& object, const char* key, bool& value, std::string& message) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  if (!found->is_boolean()) {
    message = std::string("\"") + key + "\" must be true or false";
    return false;
  }
  value = found->get<bool>();
  return true;
}

bool ReadText(const json& object, const char* key, std::string& value, std::string& message) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  if (!found->is_string()) {
    message = std::string("\"") + key + "\" must be a string";
    return false;
  }
  value = found->get<std::string>();
  return true;
}

// Members of an object member; a missing member reads as an empty object.
bool Member(const json& object, const char* key, const json*& member, std::string& message) {
  static const json empty = json::object();
  const auto found = object.find(key);
  if (found == object.end()) {
    member = &empty;
    return true;
  }
  if (!found->is_object()) {
    message = std::string("\"") + key + "\" must be an object";
    return false;
  }
  member = &*found;
  return true;
}

bool ReadFonts(const json& object, std::vector<FontCell>& fonts, std::string& message) {
  const auto found = object.find("fonts");
  if (found == object.end()) return true;
  if (!found->is_array() || found->empty() || found->size() > 8) {
    message = "\"fonts\" must be a list of 1 to 8 character cells";
    return false;
  }
  std::vector<FontCell> read;
  for (const json& cell : *found) {
    FontCell font;
    if (!cell.is_object()) {
      message = "each of \"fonts\" must be an object";
      return false;
    }
    if (!ReadText(cell, "name", font.name, message) ||
        !ReadInteger(cell, "width", 1, 255, font.width, message) ||
        !ReadInteger(cell, "height", 1, 255, font.height, message))
      return false;
    read.push_back(font);
  }
  fonts = std::move(read);
  return true;
}

// "codePages": {"25": "CP1257"} adds to or replaces the standard pages.
bool ReadCodePages(const json& object, std::map<int, std::string>& pages, std::string& message) {
  const json* listed = nullptr;
  if (!Member(object, "codePages", listed, message)) return false;
  for (const auto& [key, value] : listed->items()) {
    int number = -1;
    try {
      number = std::stoi(key);
    } catch (...) {
    }
    if (number < 0 || number > 255 || !value.is_string()) {
      message = "\"codePages\" maps numbers 0 to 255 to character set names";
      return false;
    }
    pages[number] = value.get<std::string>();
  }
  return true;
}

bool ReadMultibyte(const json& object, MultibyteSettings& multibyte, std::string& message) {
  const json* read = nullptr;
  return Member(object, "multibyte", read, message) &&
         ReadText(*read, "encoding", multibyte.encoding, message) &&
         ReadSwitch(*read, "onAfterInitialise", multibyte.onAfterInitialise, message) &&
         ReadInteger(*read, "width", 1, 64, multibyte.cell.width, message) &&
         ReadInteger(*read, "height", 1, 64, multibyte.cell.height, message);
}

bool ReadByte(const json& object, const char* key, std::uint8_t& value, std::string& message) {
  int read = value;
  if (!ReadInteger(object, key, 0, 255, read, message)) return false;
  value = static_cast<std::uint8_t>(read);
  return true;
}

// A list of exactly as many bytes as `value` holds.
template <std::size_t N>
bool ReadByteList(const json& object, const char* key, std::array<std::uint8_t, N>& value,
                  std::string& message) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  std::array<std::uint8_t, N> read{};
  bool fits = found->is_array() && found->size() == N;
  for (std::size_t index = 0; fits && index < N; ++index) {
    const json& item = (*found)[index];
    fits = item.is_number_integer() && item.get<std::int64_t>() >= 0 && item.get<std::int64_t>() <= 255;
    if (fits) read[index] = static_cast<std::uint8_t>(item.get<std::int64_t>());
  }
  if (!fits) {
    message = std::string("\"") + key + "\" must be a list of " + std::to_string(N) +
              " whole numbers from 0 to 255";
    return false;
  }
  value = read;
  return true;
}

// Identity texts go out framed by 0x5F and NUL, so they hold no NUL.
bool ReadIdentityText(const json& object, const char* key, std::string& value, std::string& message) {
  std::string read = value;
  if (!ReadText(object, key, read, message)) return false;
  if (read.size() > 80 || read.find('\0') != std::string::npos) {
    message = std::string("\"") + key + "\" must be at most 80 bytes without NUL";
    return false;
  }
  value = std::move(read);
  return true;
}

// "status" holds the DLE EOT, GS r and GS a bytes, "identity" the GS I answers.
bool ReadAnswers(const json& root, StatusAnswers& answers, std::string& message) {
  using Byte = std::uint8_t StatusAnswers::*;
  using Text = std::string StatusAnswers::*;
  static constexpr std::pair<const char*, Byte> kStatusBytes[] = {
      {"printerStatus", &StatusAnswers::printerStatus}, {"offlineCause", &StatusAnswers::offlineCause},
      {"errorCause", &StatusAnswers::errorCause},       {"paperRollSensor", &StatusAnswers::paperRollSensor},
      {"paperSensor", &StatusAnswers::paperSensor},     {"drawerSensor", &StatusAnswers::drawerSensor},
      {"inkSensor", &StatusAnswers::inkSensor},         {"inkStatusA", &StatusAnswers::inkStatusA},
      {"inkStatusB", &StatusAnswers::inkStatusB}};
  static constexpr std::pair<const char*, Byte> kIdentityBytes[] = {{"modelId", &StatusAnswers::modelId},
                                                                    {"typeId", &StatusAnswers::typeId},
                                                                    {"versionId", &StatusAnswers::versionId}};
  static constexpr std::pair<const char*, Text> kIdentityTexts[] = {
      {"firmwareVersion", &StatusAnswers::firmwareVersion},
      {"makerName", &StatusAnswers::makerName},
      {"modelName", &StatusAnswers::modelName},
      {"serialNumber", &StatusAnswers::serialNumber},
      {"fontLanguage", &StatusAnswers::fontLanguage}};
  const json* status = nullptr;
  const json* identity = nullptr;
  if (!Member(root, "status", status, message) || !Member(root, "identity", identity, message)) return false;
  for (const auto& [key, member] : kStatusBytes)
    if (!ReadByte(*status, key, answers.*member, message)) return false;
  if (!ReadByteList(*status, "automaticStatus", answers.automaticStatus, message)) return false;
  for (const auto& [key, member] : kIdentityBytes)
    if (!ReadByte(*identity, key, answers.*member, message)) return false;
  for (const auto& [key, member] : kIdentityTexts)
    if (!ReadIdentityText(*identity, key, answers.*member, message)) return false;
  return true;
}

bool ReadProfile(const json& root, Profile& profile, std::string& message) {
  if (!root.is_object()) {
    message = "a profile is a JSON object";
    return false;
  }
  const json* units = nullptr;
  const json* quirks = nullptr;
  int maxRasterHeight = static_cast<int>(profile.quirks.maxRasterHeight);
  // The widest raster a command can state is 65535 bytes; a printable width
  // beyond that is a typing error, not a printer.
  const bool read =
      ReadText(root, "name", profile.name, message) &&
      ReadText(root, "description", profile.description, message) &&
      ReadInteger(root, "dpi", 50, 2400, profile.dpi, message) &&
      ReadInteger(root, "printableWidth", 8, 65535 * 8, profile.printableWidth, message) &&
      ReadInteger(root, "defaultLineSpacing", 0, 255, profile.defaultLineSpacing, message) &&
      Member(root, "motionUnits", units, message) &&
      ReadInteger(*units, "horizontal", 1, 255, profile.horizontalMotionUnit, message) &&
      ReadInteger(*units, "vertical", 1, 255, profile.verticalMotionUnit, message) &&
      ReadInteger(root, "columnImageVerticalPitch", 1, 8, profile.columnImageVerticalPitch, message) &&
      ReadInteger(root, "pageLength", 1, 65535, profile.pageLength, message) &&
      ReadFonts(root, profile.fonts, message) && ReadCodePages(root, profile.codePages, message) &&
      ReadMultibyte(root, profile.multibyte, message) && Member(root, "quirks", quirks, message) &&
      ReadSwitch(*quirks, "lineFeedAfterRasterSwallowed", profile.quirks.lineFeedAfterRasterSwallowed,
                 message) &&
      ReadSwitch(*quirks, "feedDotsIgnored", profile.quirks.feedDotsIgnored, message) &&
      ReadSwitch(*quirks, "rasterHeightLowByteOnly", profile.quirks.rasterHeightLowByteOnly, message) &&
      ReadSwitch(*quirks, "carriageReturnFeeds", profile.quirks.carriageReturnFeeds, message) &&
      ReadInteger(*quirks, "maxRasterHeight", 0, 65535, maxRasterHeight, message);
  profile.quirks.maxRasterHeight = maxRasterHeight;
  return read && ReadAnswers(root, profile.answers, message);
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& text) {
  platform::InputFile file = platform::InputFile::Open(path);
  if (!file.IsOpen()) return false;
  const std::uint64_t size = file.Size();
  if (size > kLargestProfileFile) return false;
  text.resize(size);
  return file.ReadFully({reinterpret_cast<std::uint8_t*>(text.data()), text.size()}) == size;
}

}  // namespace

ProfileResult ParseProfile(std::string_view text, Profile& profile, std::string& message) {
  const json root = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false,
                                /*ignore_comments=*/true);
  if (root.is_discarded()) {
    message = "not JSON";
    return ProfileResult::NotJson;
  }
  // Every member is optional: what a profile leaves out stays as the
  // baseline has it, so a user's file names only where the printer differs.
  Profile read;
  if (!ReadProfile(root, read, message)) return ProfileResult::BadValue;
  profile = std::move(read);
  return ProfileResult::Loaded;
}

ProfileResult LoadProfile(std::string_view nameOrPath, Profile& profile, std::string& message) {
  for (const BuiltInProfile& builtIn : BuiltInProfiles())
    if (builtIn.name == nameOrPath) return ParseProfile(builtIn.json, profile, message);
  std::string text;
  if (!ReadWholeFile(std::filesystem::path(nameOrPath), text)) {
    message = "no built-in profile of that name and no profile file there";
    return ProfileResult::NotFound;
  }
  return ParseProfile(text, profile, message);
}

Profile DefaultProfile() {
  Profile profile;
  std::string ignored;
  LoadProfile(kDefaultProfileName, profile, ignored);
  return profile;
}

std::vector<std::string> BuiltInProfileNames() {
  std::vector<std::string> names;
  for (const BuiltInProfile& builtIn : BuiltInProfiles()) names.emplace_back(builtIn.name);
  return names;
}

}  // namespace tesk::printer
