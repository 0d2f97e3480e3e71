#pragma once
// tesk-cli's JSON: objects keep their fields in the order they are put in, and
// every line written is valid UTF-8 whatever bytes a file name holds.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace tesk::cli {

using Json = nlohmann::ordered_json;

bool IsValidUtf8(std::string_view text);

// Lower-case hex digits of every byte, two per byte.
std::string HexOfBytes(std::string_view bytes);

// Puts `path` under `key`. A path that is not valid UTF-8 is shown with U+FFFD
// in place of the bytes that are not, and its exact bytes go under `key` + "Hex",
// so a reader can still find the file.
void PutPath(Json& object, const std::string& key, const std::filesystem::path& path);

// Puts `paths` under `key` as an array; when any of them is not valid UTF-8,
// `key` + "Hex" holds the hex of every one, in the same order.
void PutPaths(Json& object, const std::string& key, const std::vector<std::filesystem::path>& paths);

// One line, no spaces; bytes that are not UTF-8 are written as U+FFFD.
std::string DumpJson(const Json& value);

}  // namespace tesk::cli
