// Every --json report is read by Python's json module whatever bytes the file
// names hold, and a name that is not UTF-8 can be found again from its hex field.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tests/zip/archive_tools.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::TempFolder;

// Latin-1 and GBK bytes (the way archives made on Windows name their entries),
// none of them UTF-8.
const std::string kForeignName = "\xff\xfe\x80 \xb2\xe2\xca\xd4";

// Parses every line strictly as UTF-8 JSON, and for each field `K` that has a
// `KHex` beside it prints: KHex, the hex, whether a file of exactly those bytes
// exists, one line per path.
constexpr const char* kChecker = R"(import json, os, sys
for line in open(sys.argv[1], 'rb'):
    report = json.loads(line.decode('utf-8'))
    for key, hexed in report.items():
        if not key.endswith('Hex'):
            continue
        shown = report[key[:-3]]
        pairs = zip(hexed, shown) if isinstance(hexed, list) else [(hexed, shown)]
        for one, text in pairs:
            raw = bytes.fromhex(one)
            try:
                assert text == raw.decode('utf-8')
            except UnicodeDecodeError:
                assert '\ufffd' in text
            print(key, one, os.path.exists(raw))
)";

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

// Runs tesk-cli with `arguments` and returns the checker's lines; a report that
// Python's json refuses fails the test.
std::multimap<std::string, std::string> HexFields(const TempFolder& folder, const std::string& arguments,
                                                  int expectedStatus) {
  const fs::path json = folder / "report.json";
  const fs::path checker = folder / "check.py";
  testing::WriteFile(checker, std::string_view(kChecker));
  int status = -1;
  const std::string errors = Cli(arguments + " > " + Quoted(json), &status);
  EXPECT_EQ(status, expectedStatus) << errors;
  std::string listing;
  EXPECT_EQ(testing::RunCommand("python3 " + Quoted(checker) + " " + Quoted(json), &listing), 0) << listing;
  std::multimap<std::string, std::string> fields;
  std::stringstream lines(listing);
  std::string key, hex, exists;
  while (lines >> key >> hex >> exists) fields.emplace(key, hex + " " + exists);
  fs::remove(json);
  fs::remove(checker);
  return fields;
}

using Fields = std::multimap<std::string, std::string>;

TEST(JsonFileNames, RunReportsOfEveryInputKindKeepTheExactBytes) {
  for (const auto& [sample, extension, outputs] :
       std::vector<std::tuple<const char*, const char*, int>>{{"receipt.prn", ".prn", 4},
                                                              {"receipt.txt", ".txt", 5}}) {
    TempFolder folder;
    const fs::path input = folder / (kForeignName + extension);
    fs::copy_file(fs::path(TESK_SAMPLES_DIR) / sample, input);
    const Fields fields = HexFields(folder, "--json --keep all " + Quoted(input), 0);
    const std::string found = Hex(input.string()) + " True";
    EXPECT_EQ(fields.count("pathHex"), 1u) << sample;
    EXPECT_EQ(fields.find("pathHex")->second, found);
    EXPECT_EQ(fields.find("loadedPathHex")->second, found);
    EXPECT_EQ(fields.count("outputsHex"), static_cast<std::size_t>(outputs)) << sample;
    for (auto [at, end] = fields.equal_range("outputsHex"); at != end; ++at)
      EXPECT_TRUE(at->second.ends_with(" True")) << at->second;
  }
}

TEST(JsonFileNames, AnArchiveEntryNamedInGbkIsLoadedAndNamed) {
  TempFolder folder;
  const std::string entry = "\xb2\xe2\xca\xd4.prn";
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / entry);
  ASSERT_EQ(testing::RunCommand("cd " + Quoted(folder.path()) + " && zip -q -X jobs.zip " + Quoted(entry) +
                                " && rm " + Quoted(entry)),
            0);
  const Fields run = HexFields(folder, "--json " + Quoted(folder / "jobs.zip"), 0);
  EXPECT_EQ(run.count("pathHex"), 0u);
  EXPECT_EQ(run.find("loadedPathHex")->second, Hex((folder / entry).string()) + " True");

  const Fields inspect = HexFields(folder, "--inspect --json " + Quoted(folder / "jobs.zip"), 0);
  EXPECT_EQ(inspect.find("entryHex")->second, Hex(entry) + " False");
}

TEST(JsonFileNames, InspectAndFailureReportsKeepTheExactBytes) {
  TempFolder folder;
  const fs::path raw = folder / (kForeignName + ".prn");
  const fs::path capture = folder / (kForeignName + ".pcapng");
  const fs::path missing = folder / (kForeignName + ".missing");
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", raw);
  ASSERT_EQ(testing::RunCommand(std::string(TESK_MAKE_USBCAP_PATH) + " " + Quoted(raw) + " " +
                                Quoted(capture)),
            0);

  for (const auto& [arguments, path, status, exists] :
       std::vector<std::tuple<std::string, fs::path, int, const char*>>{
           {"--inspect --json", raw, 0, "True"},
           {"--inspect --json", capture, 0, "True"},
           {"--inspect --json", missing, 1, "False"},
           {"--json", missing, 1, "False"}}) {
    const Fields fields = HexFields(folder, arguments + " " + Quoted(path), status);
    ASSERT_EQ(fields.count("pathHex"), 1u) << arguments << " " << path.extension();
    EXPECT_EQ(fields.find("pathHex")->second, Hex(path.string()) + " " + exists);
  }
}

}  // namespace
}  // namespace tesk
