#pragma once
// Archives judged by tools we did not write: Info-ZIP's unzip, 7-Zip, Python's
// zipfile and libarchive's bsdtar, and listings by Python's zipfile.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tesk::testing {

// Every regular file beneath `folder` but the archive itself, by relative
// path: what an extraction left there.
inline std::map<std::string, Bytes> RegularFilesBeneath(const std::filesystem::path& folder) {
  std::map<std::string, Bytes> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (!std::filesystem::is_regular_file(item.symlink_status())) continue;
    const std::string relative = std::filesystem::relative(item.path(), folder).string();
    if (relative != "archive.zip") files[relative] = ReadFile(item.path());
  }
  return files;
}

inline std::string Quoted(const std::filesystem::path& path) {
  std::string quoted = "'";
  for (const char character : path.string()) {
    if (character == '\'')
      quoted += "'\\''";
    else
      quoted += character;
  }
  return quoted + "'";
}

struct ExpectedEntry {
  std::string name;
  Bytes content;
};

// Every tool must pass the archive, and bsdtar must give back each entry's
// bytes. Python's zipfile exits with 0 even when an entry's CRC-32 is wrong,
// so its output is what counts.
inline void ExpectEveryToolAccepts(const std::filesystem::path& archive,
                                   const std::vector<ExpectedEntry>& entries) {
  std::string output;
  const int unzip = RunCommand("unzip -t " + Quoted(archive), &output);
  if (entries.empty()) {
    EXPECT_EQ(unzip, 1) << output;  // unzip's warning for an archive without entries
    EXPECT_NE(output.find("zipfile is empty"), std::string::npos) << output;
  } else {
    EXPECT_EQ(unzip, 0) << output;
    EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
  }

  EXPECT_EQ(RunCommand("7z t " + Quoted(archive), &output), 0) << output;
  EXPECT_NE(output.find("Everything is Ok"), std::string::npos) << output;

  EXPECT_EQ(RunCommand("python3 -m zipfile -t " + Quoted(archive), &output), 0) << output;
  EXPECT_NE(output.find("Done testing"), std::string::npos) << output;
  EXPECT_EQ(output.find("corrupted"), std::string::npos) << output;

  EXPECT_EQ(RunCommand("bsdtar -tf " + Quoted(archive), &output), 0) << output;
  TempFolder scratch;
  for (const ExpectedEntry& entry : entries) {
    const auto extracted = scratch / "entry";
    EXPECT_EQ(RunCommand("{ bsdtar -xOf " + Quoted(archive) + " " + Quoted(entry.name) + " > " +
                             Quoted(extracted) + "; }",
                         &output),
              0)
        << entry.name << ": " << output;
    EXPECT_EQ(ReadFile(extracted), entry.content) << entry.name;
  }
}

// One line per entry as Python's zipfile reads the archive:
// "name flags method crc compressed uncompressed external made-by offset".
inline std::vector<std::string> PythonListing(const std::filesystem::path& archive) {
  std::string output;
  const std::string script =
      "import sys, zipfile\n"
      "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
      "    print(i.filename, hex(i.flag_bits), i.compress_type, hex(i.CRC), i.compress_size,\n"
      "          i.file_size, hex(i.external_attr), hex(i.create_system * 256 + i.create_version),\n"
      "          i.header_offset)\n";
  TempFolder scratch;
  WriteFile(scratch / "list.py", script);
  const int status = RunCommand("python3 " + Quoted(scratch / "list.py") + " " + Quoted(archive), &output);
  EXPECT_EQ(status, 0) << output;
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    if (end > start) lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace tesk::testing
