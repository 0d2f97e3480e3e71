// Archives built by hand to attack or confuse the reader. For each: the codes
// of every lookup and extraction, exactly the files expected beneath the base
// folder, and nothing at all outside it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>

#include "platform/input_file.h"
#include "tests/zip/archive_tools.h"
#include "tests/zip/hand_built_archive.h"
#include "zip/archive_input.h"
#include "zip/zip_reader.h"

namespace tesk::zip {
namespace {

using testing::BuildArchive;
using testing::Bytes;
using testing::BytesOf;
using testing::HandArchive;
using testing::HandEntry;
using testing::RegularFilesBeneath;
using testing::TempFolder;
namespace fs = std::filesystem;

constexpr ZipResult kSkipped = 0xFFFFFFFF;  // no extraction follows a failed lookup

struct Outcome {
  ZipResult lookup;
  ZipResult extraction = kSkipped;
};
constexpr Outcome kExtracted{kZipOk, kZipOk};

struct HostileCase {
  const char* label;
  std::function<Bytes()> build;
  // Empty with openFails: no handle at all.
  std::vector<Outcome> outcomes;
  std::map<std::string, Bytes> files;  // every regular file beneath the base folder but the archive
  bool openFails = false;
  // Run before the extraction, with the test's root folder (base/ and outside/ in it).
  std::function<void(const fs::path&)> prepare = nullptr;
  // Further checks on what was extracted.
  std::function<void(const fs::path&)> verify = nullptr;
};

void PrintTo(const HostileCase& test, std::ostream* out) { *out << test.label; }

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& item : fs::recursive_directory_iterator(folder))
    names.push_back(fs::relative(item.path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

class HostileArchives : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileArchives, StayInsideTheBaseFolder) {
  const HostileCase& test = GetParam();
  TempFolder root;
  const fs::path base = root / "base";
  const fs::path outside = root / "outside";
  fs::create_directories(base);
  fs::create_directories(outside);
  testing::WriteFile(outside / "victim.bin", std::string_view("untouched"));
  if (test.prepare) test.prepare(root.path());
  const std::vector<std::string> rootBefore = Listing(root.path());
  const std::vector<std::string> outsideBefore = Listing(outside);
  const fs::path archivePath = base / "archive.zip";
  const Bytes archive = test.build();
  testing::WriteFile(archivePath, archive);

  ZipHandle* handle = ZipReaderOpen(archivePath);
  if (test.openFails) {
    EXPECT_EQ(handle, nullptr);
    fs::path path = archivePath;
    EXPECT_FALSE(ExtractArchiveInput(path));
    EXPECT_EQ(path, archivePath);
  } else {
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(ZipReaderSetBaseFolder(handle, base), kZipOk);
    ZipEntryInfo info;
    ASSERT_EQ(ZipReaderGetEntry(handle, -1, info), kZipOk);
    ASSERT_EQ(info.index, static_cast<std::int32_t>(test.outcomes.size()));
    for (std::size_t index = 0; index < test.outcomes.size(); ++index) {
      SCOPED_TRACE("entry " + std::to_string(index));
      info = ZipEntryInfo{};
      const auto entry = static_cast<std::int32_t>(index);
      const ZipResult lookup = ZipReaderGetEntry(handle, entry, info);
      EXPECT_EQ(lookup, test.outcomes[index].lookup);
      if (lookup != kZipOk) continue;
      EXPECT_EQ(ZipReaderExtractEntry(handle, entry, info.name), test.outcomes[index].extraction)
          << info.name;
    }
    EXPECT_EQ(ZipReaderClose(handle), kZipOk);
  }
  // Before anything reads the extracted files and moves their access times on.
  if (test.verify) test.verify(root.path());

  EXPECT_EQ(testing::ReadFile(archivePath), archive) << "the archive itself stays intact";
  EXPECT_EQ(RegularFilesBeneath(base), test.files);
  EXPECT_EQ(Listing(outside), outsideBefore);
  EXPECT_EQ(testing::ReadFile(outside / "victim.bin"), BytesOf("untouched"));
  std::vector<std::string> rootAfter;
  for (const std::string& name : Listing(root.path()))
    if (name.rfind("base/", 0) != 0 && name != "base/archive.zip") rootAfter.push_back(name);
  std::vector<std::string> rootBeforeOutsideBase;
  for (const std::string& name : rootBefore)
    if (name.rfind("base/", 0) != 0) rootBeforeOutsideBase.push_back(name);
  EXPECT_EQ(rootAfter, rootBeforeOutsideBase) << "nothing appears beside the base folder";
}

HandEntry Stored(std::string name, std::string_view content) {
  HandEntry entry;
  entry.name = std::move(name);
  entry.content = BytesOf(content);
  return entry;
}

HandEntry Deflated(std::string name, const Bytes& content) {
  HandEntry entry;
  entry.name = std::move(name);
  entry.content = content;
  entry.method = 8;
  return entry;
}

Bytes Repeated(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t index = 0; index < size; ++index) bytes[index] = static_cast<std::uint8_t>(index % 7 * 31);
  return bytes;
}

Bytes Honest(std::vector<HandEntry> entries) { return BuildArchive(entries).bytes; }

// A "UT" field: flags, then the times it holds.
Bytes TimestampField(std::uint8_t flags, std::uint16_t dataSize, std::vector<std::int32_t> times) {
  Bytes field = {0x55, 0x54, static_cast<std::uint8_t>(dataSize), static_cast<std::uint8_t>(dataSize >> 8),
                 flags};
  for (const std::int32_t time : times)
    for (int shift = 0; shift < 32; shift += 8) field.push_back(static_cast<std::uint8_t>(time >> shift));
  return field;
}

std::int64_t WriteTimeOf(const fs::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mtim.tv_sec;
}

std::int64_t AccessTimeOf(const fs::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_atim.tv_sec;
}

constexpr std::int64_t kDosTimeInUtc = 1468413296;  // 2016-07-13 12:34:56, the builder's time

const std::string kLongName = std::string(300, 'n');

INSTANTIATE_TEST_SUITE_P(
    Names, HostileArchives,
    ::testing::Values(
        HostileCase{"DotDotName",
                    [] {
                      return Honest({Stored("../victim.bin", "evil"), Stored("ok.bin", "ok")});
                    },
                    {{kZipBadArguments}, kExtracted},
                    {{"ok.bin", BytesOf("ok")}}},
        HostileCase{"DotDotLeftByTheCleaning",
                    [] {
                      return Honest({Stored("a/../../outside/victim.bin", "evil"),
                                     Stored("a\\..\\..\\victim.bin", "evil"),
                                     Stored("..\\outside\\victim.bin", "evil"), Stored("sub/..", "evil"),
                                     Stored("x/../..", "evil")});
                    },
                    {{kZipBadArguments},
                     {kZipBadArguments},
                     {kZipBadArguments},
                     {kZipBadArguments},
                     {kZipBadArguments}},
                    {}},
        HostileCase{"AbsoluteAndDriveNamesLandBeneathTheBase",
                    [] {
                      return Honest({Stored("/abs/x.bin", "1"), Stored("C:\\tmp\\y.bin", "2"),
                                     Stored("\\\\server\\share\\z.bin", "3"),
                                     Stored("x\\..\\y/../w.bin", "4"), Stored("C:/D:/v.bin", "5")});
                    },
                    {kExtracted, kExtracted, kExtracted, kExtracted, kExtracted},
                    {{"abs/x.bin", BytesOf("1")},
                     {"tmp/y.bin", BytesOf("2")},
                     {"server/share/z.bin", BytesOf("3")},
                     {"w.bin", BytesOf("4")},
                     {"v.bin", BytesOf("5")}}},
        HostileCase{"NamesWithNoSafeFileLeft",
                    [] {
                      return Honest({Stored(std::string("a\0b.bin", 7), "zero"), Stored("", "empty"),
                                     Stored("C:", "drive"), Stored("///", "slashes"),
                                     Stored(kLongName, "long"), Stored("ok.bin", "ok")});
                    },
                    {{kZipBadArguments},
                     {kZipBadArguments},
                     {kZipBadArguments},
                     {kZipBadArguments},
                     {kZipBadArguments},
                     kExtracted},
                    {{"ok.bin", BytesOf("ok")}}},
        HostileCase{"EntryNamedLikeTheHeldArchive",
                    [] {
                      return Honest({Stored("archive.zip", "not an archive"), Stored("ok.bin", "ok")});
                    },
                    {{kZipOk, kZipCannotOpen}, kExtracted},
                    {{"ok.bin", BytesOf("ok")}}},
        HostileCase{"FolderPartIsAFile",
                    [] {
                      return Honest({Stored("f", "a file"), Stored("f/x.bin", "below a file")});
                    },
                    {kExtracted, {kZipOk, kZipCannotOpen}},
                    {{"f", BytesOf("a file")}}},
        HostileCase{"LinkInTheBaseFolderIsNeverFollowed",
                    [] {
                      return Honest({Stored("out/victim.bin", "evil"), Stored("link.bin", "evil"),
                                     Stored("dangling/x.bin", "evil")});
                    },
                    {{kZipOk, kZipCannotOpen}, {kZipOk, kZipCannotOpen}, {kZipOk, kZipCannotOpen}},
                    {},
                    false,
                    [](const fs::path& root) {
                      fs::create_directory_symlink(root / "outside", root / "base" / "out");
                      fs::create_symlink(root / "outside" / "victim.bin", root / "base" / "link.bin");
                      fs::create_symlink(root / "outside" / "gone", root / "base" / "dangling");
                    }},
        HostileCase{"UnixSymbolicLinkEntryBecomesAPlainFile",
                    [] {
                      HandEntry link = Stored("link.bin", "../outside/victim.bin");
                      link.externalAttributes = 0xA1FF0000;  // lrwxrwxrwx
                      return Honest({link, Stored("link.bin/x", "through the link")});
                    },
                    {kExtracted, {kZipOk, kZipCannotOpen}},
                    {{"link.bin", BytesOf("../outside/victim.bin")}}}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Structure, HostileArchives,
    ::testing::Values(
        HostileCase{"MethodTwelveBetweenTwoGoodEntries",
                    [] {
                      HandEntry odd = Stored("odd.bin", "bzip2?");
                      odd.method = 12;
                      return Honest({Stored("a.bin", "a"), odd, Stored("b.bin", "b")});
                    },
                    {kExtracted, {kZipBadLocalHeader}, kExtracted},
                    {{"a.bin", BytesOf("a")}, {"b.bin", BytesOf("b")}}},
        HostileCase{"HeadersDisagreeOnTheMethod",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "a")});
                      archive.Put16(archive.layout.localHeaders[0] + 8, 8);
                      return archive.bytes;
                    },
                    {{kZipBadLocalHeader}},
                    {}},
        HostileCase{"NoLocalHeaderWhereTheRecordPoints",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "a"), Stored("b.bin", "b")});
                      // Into the central directory, clear of the first entry's bytes.
                      archive.SetLocalHeaderOffset(1, static_cast<std::uint32_t>(
                                                          archive.layout.centralDirectory + 3));
                      return archive.bytes;
                    },
                    {kExtracted, {kZipBadLocalHeader}},
                    {{"a.bin", BytesOf("a")}}},
        HostileCase{"TwoRecordsShareOneLocalHeader",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "aaaa"), Stored("b.bin", "aaaa")});
                      archive.SetLocalHeaderOffset(1, 0);
                      return archive.bytes;
                    },
                    {{kZipBadLocalHeader}, {kZipBadLocalHeader}},
                    {}},
        HostileCase{"DataRunOverTheNextEntry",
                    [] {
                      // The overlapping-entry bomb: the first entry's data take
                      // in the second's header and data.
                      HandArchive archive =
                          BuildArchive({Stored("outer.bin", "x"), Deflated("kernel.bin", Repeated(5000))});
                      const auto span = static_cast<std::uint32_t>(archive.layout.centralDirectory -
                                                                   archive.layout.data[0]);
                      archive.SetCompressedSize(0, span);
                      archive.SetUncompressedSize(0, span);
                      return archive.bytes;
                    },
                    {{kZipBadLocalHeader}, kExtracted},
                    {{"kernel.bin", Repeated(5000)}}},
        HostileCase{"DataRunIntoTheCentralDirectory",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "abc")});
                      archive.SetCompressedSize(0, 40);
                      archive.SetUncompressedSize(0, 40);
                      return archive.bytes;
                    },
                    {{kZipBadLocalHeader}},
                    {}},
        HostileCase{"LocalExtraBeyondTheFile",
                    [] {
                      // A record that points at a local header in the comment,
                      // whose extra field would run past the end of the file.
                      const Bytes header = testing::HexBytes(
                          "504b0304 1400 0000 0000 5c64 ed48 00000000 00000000 00000000 0100 ffff");
                      Bytes comment = header;
                      comment.push_back('c');
                      HandArchive archive = BuildArchive({Stored("c", "")}, comment);
                      archive.SetLocalHeaderOffset(0,
                                                   static_cast<std::uint32_t>(archive.layout.endRecord + 22));
                      return archive.bytes;
                    },
                    {{kZipBadLocalExtra}},
                    {}},
        HostileCase{"UnreadableCentralRecordEndsTheDirectory",
                    [] {
                      HandArchive archive =
                          BuildArchive({Stored("a.bin", "a"), Stored("b.bin", "b"), Stored("c.bin", "c")});
                      archive.Put32(archive.layout.centralRecords[1], 0x02014B51);
                      return archive.bytes;
                    },
                    {kExtracted, {kZipBadLocalHeader}, {kZipBadLocalHeader}},
                    {{"a.bin", BytesOf("a")}}},
        HostileCase{
            "EndRecordCountsMoreEntriesThanThereAre",
            [] {
              HandArchive archive = BuildArchive({Stored("a.bin", "a"), Stored("b.bin", "b")});
              archive.Put16(archive.layout.endRecord + 8, 5);
              archive.Put16(archive.layout.endRecord + 10, 5);
              return archive.bytes;
            },
            {kExtracted, kExtracted, {kZipBadLocalHeader}, {kZipBadLocalHeader}, {kZipBadLocalHeader}},
            {{"a.bin", BytesOf("a")}, {"b.bin", BytesOf("b")}}},
        HostileCase{"RecordNameRunsOutOfTheDirectory",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "a"), Stored("b.bin", "b")});
                      archive.Put16(archive.layout.centralRecords[1] + 28, 0xFFFF);
                      return archive.bytes;
                    },
                    {kExtracted, {kZipBadLocalHeader}},
                    {{"a.bin", BytesOf("a")}}},
        HostileCase{"FakeEndRecordInTheComment",
                    [] {
                      Bytes comment = BytesOf("see PK");
                      const Bytes fake =
                          testing::HexBytes("504b0506 0100 0000 0100 0100 00000000 00000000 0000");
                      comment.insert(comment.end(), fake.begin(), fake.end());
                      return BuildArchive({Stored("a.bin", "a")}, comment).bytes;
                    },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}}},
        HostileCase{"LargestCommentStillFound",
                    [] { return BuildArchive({Stored("a.bin", "a")}, Bytes(65535, 'c')).bytes; },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}}},
        HostileCase{"EndRecordBeyondTheSearch",
                    [] {
                      Bytes archive = BuildArchive({Stored("a.bin", "a")}, Bytes(65535, 'c')).bytes;
                      archive.push_back('!');  // one byte more than any comment can be
                      return archive;
                    },
                    {},
                    {},
                    true},
        HostileCase{"StubInFront",
                    [] { return BuildArchive({Stored("a.bin", "a")}, {}, Bytes(1000, 's')).bytes; },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}}},
        HostileCase{"MultiDiskArchive",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "a")});
                      archive.Put16(archive.layout.endRecord + 4, 1);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"DirectoryWouldRunIntoTheEndRecord",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "a")});
                      archive.Put32(archive.layout.endRecord + 12, 1000);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"TruncatedArchive",
                    [] {
                      Bytes archive = Honest({Deflated("a.bin", Repeated(3000))});
                      archive.resize(archive.size() - 30);
                      return archive;
                    },
                    {},
                    {},
                    true},
        HostileCase{"TooShortForAnEndRecord", [] { return testing::HexBytes("504b0304 00"); }, {}, {}, true}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Data, HostileArchives,
    ::testing::Values(
        HostileCase{"UncompressedSizeSaysLess",
                    [] {
                      HandArchive archive = BuildArchive({Deflated("a.bin", Repeated(3000))});
                      archive.SetUncompressedSize(0, 2999);
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {}},
        HostileCase{"UncompressedSizeSaysMore",
                    [] {
                      HandArchive archive = BuildArchive({Deflated("a.bin", Repeated(3000))});
                      archive.SetUncompressedSize(0, 3001);
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {}},
        HostileCase{"StoredDataShorterThanTheirSize",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "abcdef")});
                      archive.SetUncompressedSize(0, 7);
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {}},
        HostileCase{"FlippedBitInStoredData",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "abcdef"), Stored("b.bin", "b")});
                      archive.bytes[archive.layout.data[0] + 2] ^= 0x10;
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}, kExtracted},
                    {{"b.bin", BytesOf("b")}}},
        HostileCase{"FlippedBitInDeflatedData",
                    [] {
                      HandArchive archive = BuildArchive({Deflated("a.bin", Repeated(3000))});
                      archive.bytes[archive.layout.data[0] + 5] ^= 0x01;
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {}},
        HostileCase{"DeflateStreamCutShort",
                    [] {
                      HandArchive archive = BuildArchive({Deflated("a.bin", Repeated(3000))});
                      const auto cut = static_cast<std::uint32_t>(archive.layout.centralDirectory -
                                                                  archive.layout.data[0] - 4);
                      archive.SetCompressedSize(0, cut);
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {}},
        HostileCase{"TwoGibibyteEntry",
                    [] {
                      HandArchive archive = BuildArchive({Deflated("huge.bin", Bytes(100000, 0))});
                      archive.SetUncompressedSize(0, 0x80000000u);
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadArguments}},
                    {}},
        HostileCase{"CorruptFileDoesNotReplaceAFileOfItsName",
                    [] {
                      HandArchive archive = BuildArchive({Stored("keep.bin", "abcdef")});
                      archive.SetUncompressedSize(0, 5);
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {{"keep.bin", BytesOf("earlier")}},
                    false,
                    [](const fs::path& root) {
                      testing::WriteFile(root / "base" / "keep.bin", std::string_view("earlier"));
                    }},
        HostileCase{"CorruptDataLeaveTheFileTheyWouldReplace",
                    [] {
                      HandArchive archive = BuildArchive({Stored("a.bin", "abcdef")});
                      archive.bytes[archive.layout.data[0]] ^= 0x01;
                      return archive.bytes;
                    },
                    {{kZipOk, kZipBadData}},
                    {{"a.bin", BytesOf("earlier")}},
                    false,
                    [](const fs::path& root) {
                      testing::WriteFile(root / "base" / "a.bin", std::string_view("earlier"));
                    }},
        HostileCase{"DataDescriptorLeavesTheLocalHeaderEmpty",
                    [] {
                      HandEntry entry = Deflated("a.bin", Repeated(3000));
                      entry.flags = 0x0008;
                      HandArchive archive = BuildArchive({entry});
                      archive.Put32(archive.layout.localHeaders[0] + 14, 0);
                      archive.Put32(archive.layout.localHeaders[0] + 18, 0);
                      archive.Put32(archive.layout.localHeaders[0] + 22, 0);
                      return archive.bytes;
                    },
                    {kExtracted},
                    {{"a.bin", Repeated(3000)}}}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    TimesAndAttributes, HostileArchives,
    ::testing::Values(
        HostileCase{"TimestampFieldAfterALargeField",
                    [] {
                      HandEntry entry = Stored("a.bin", "a");
                      entry.localExtra = {0xFE, 0xCA, 0x2C, 0x01};  // an unknown field of 300 bytes
                      entry.localExtra.resize(304, 0x55);
                      const Bytes time = TimestampField(1, 5, {1000000000});
                      entry.localExtra.insert(entry.localExtra.end(), time.begin(), time.end());
                      return Honest({entry});
                    },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      EXPECT_EQ(WriteTimeOf(root / "base" / "a.bin"), 1000000000);
                      EXPECT_EQ(AccessTimeOf(root / "base" / "a.bin"), kDosTimeInUtc);
                    }},
        HostileCase{"TimestampFieldAnnouncesMoreThanItHolds",
                    [] {
                      HandEntry entry = Stored("a.bin", "a");
                      entry.localExtra = TimestampField(7, 5, {1000000000});
                      entry.localExtra.insert(entry.localExtra.end(), {0x11, 0x22, 0x33, 0x44});
                      return Honest({entry});
                    },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      EXPECT_EQ(WriteTimeOf(root / "base" / "a.bin"), 1000000000);
                      EXPECT_EQ(AccessTimeOf(root / "base" / "a.bin"), kDosTimeInUtc);
                    }},
        HostileCase{"TimestampFieldCutByTheEndOfTheExtra",
                    [] {
                      HandEntry entry = Stored("a.bin", "a");
                      entry.localExtra = TimestampField(3, 9, {1000000000});  // the access time is missing
                      return Honest({entry});
                    },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      EXPECT_EQ(WriteTimeOf(root / "base" / "a.bin"), 1000000000);
                      EXPECT_EQ(AccessTimeOf(root / "base" / "a.bin"), kDosTimeInUtc);
                    }},
        HostileCase{"InvalidDosTimeKeepsTheTimeOfWriting",
                    [] {
                      HandEntry entry = Stored("a.bin", "a");
                      entry.dosDate = 0x4800;  // month 0, day 0
                      return Honest({entry});
                    },
                    {kExtracted},
                    {{"a.bin", BytesOf("a")}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      // Not 1980, not the epoch: the time the file was written,
                      // which is after the archive was.
                      EXPECT_GE(WriteTimeOf(root / "base" / "a.bin"),
                                WriteTimeOf(root / "base" / "archive.zip"));
                    }},
        HostileCase{"ReadOnlyAttributeClearsWritePermission",
                    [] {
                      HandEntry dos = Stored("ro.bin", "ro");
                      dos.versionMadeBy = 0x0014;
                      dos.externalAttributes = 0x21;
                      HandEntry unix = Stored("ro-unix.bin", "ro");
                      unix.externalAttributes = 0x81240000;  // r--r--r--
                      HandEntry writable = Stored("rw.bin", "rw");
                      return Honest({dos, unix, writable});
                    },
                    {kExtracted, kExtracted, kExtracted},
                    {{"ro.bin", BytesOf("ro")}, {"ro-unix.bin", BytesOf("ro")}, {"rw.bin", BytesOf("rw")}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      const auto writable = [](const fs::path& path) {
                        return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
                      };
                      EXPECT_FALSE(writable(root / "base" / "ro.bin"));
                      EXPECT_FALSE(writable(root / "base" / "ro-unix.bin"));
                      EXPECT_TRUE(writable(root / "base" / "rw.bin"));
                    }},
        HostileCase{"DirectoryEntriesByEitherMark",
                    [] {
                      HandEntry dos = Stored("dos/", "");
                      dos.versionMadeBy = 0x0014;
                      dos.externalAttributes = 0x10;
                      HandEntry unix = Stored("unix/deeper/", "");
                      unix.externalAttributes = 0x41ED0000;
                      return Honest({dos, unix, Stored("unix/deeper/f.bin", "f")});
                    },
                    {kExtracted, kExtracted, kExtracted},
                    {{"unix/deeper/f.bin", BytesOf("f")}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      EXPECT_TRUE(fs::is_directory(root / "base" / "dos"));
                      EXPECT_TRUE(fs::is_directory(root / "base" / "unix" / "deeper"));
                    }}),
    [](const auto& info) { return std::string(info.param.label); });

// What stands in an entry's place before the extraction: a file of the user's
// is replaced only by an entry that checks out, and a FIFO or a link is never
// opened or replaced.
INSTANTIATE_TEST_SUITE_P(
    Replacing, HostileArchives,
    ::testing::Values(HostileCase{"GoodEntryReplacesTheFileOfItsName",
                                  [] { return Honest({Deflated("job.bin", Repeated(5000))}); },
                                  {kExtracted},
                                  {{"job.bin", Repeated(5000)}},
                                  false,
                                  [](const fs::path& root) {
                                    testing::WriteFile(root / "base" / "job.bin", std::string_view("mine"));
                                  }},
                      HostileCase{"FifoInTheEntrysPlaceIsNeverOpened",
                                  [] {
                                    return Honest({Stored("job.bin", "job"), Stored("other.bin", "other")});
                                  },
                                  {{kZipOk, kZipCannotOpen}, kExtracted},
                                  {{"other.bin", BytesOf("other")}},
                                  false,
                                  [](const fs::path& root) {
                                    ASSERT_EQ(::mkfifo((root / "base" / "job.bin").c_str(), 0600), 0);
                                  },
                                  [](const fs::path& root) {
                                    struct stat info {};
                                    ASSERT_EQ(::lstat((root / "base" / "job.bin").c_str(), &info), 0);
                                    EXPECT_TRUE(S_ISFIFO(info.st_mode));
                                  }}),
    [](const auto& info) { return std::string(info.param.label); });

HandArchive Zip64(std::vector<HandEntry> entries) { return testing::BuildZip64Archive(std::move(entries)); }

constexpr std::uint64_t kTebibyte = std::uint64_t{1} << 40;

INSTANTIATE_TEST_SUITE_P(
    Zip64, HostileArchives,
    ::testing::Values(
        HostileCase{"HonestHandMadeZip64",
                    [] {
                      return Zip64({Stored("a.bin", "a"), Deflated("b.bin", Repeated(3000))}).bytes;
                    },
                    {kExtracted, kExtracted},
                    {{"a.bin", BytesOf("a")}, {"b.bin", Repeated(3000)}},
                    false,
                    nullptr,
                    [](const fs::path& root) {
                      // So the hostile cases below bend an archive another reader takes.
                      std::string output;
                      EXPECT_EQ(testing::RunCommand("python3 -m zipfile -t " +
                                                        testing::Quoted(root / "base" / "archive.zip"),
                                                    &output),
                                0)
                          << output;
                    }},
        HostileCase{"LocatorPointsOutsideTheFile",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put64(archive.layout.zip64Locator + 8, kTebibyte);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"LocatorOfAMultiDiskArchive",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put32(archive.layout.zip64Locator + 16, 2);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"Zip64RecordTooShort",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put64(archive.layout.zip64Record + 4, 20);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"Zip64RecordRunsOverItsLocator",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put64(archive.layout.zip64Record + 4, ~std::uint64_t{0} - 4);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"Zip64DirectoryWrapsAround",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put64(archive.layout.zip64Record + 48, ~std::uint64_t{0} - 10);
                      archive.Put64(archive.layout.zip64Locator + 8, 20);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"Zip64RecordCountsMoreThan65535Entries",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put64(archive.layout.zip64Record + 24, 70000);
                      archive.Put64(archive.layout.zip64Record + 32, 70000);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{"Zip64RecordDisagreesWithTheEndRecord",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "a")});
                      archive.Put16(archive.layout.endRecord + 8, 2);
                      archive.Put16(archive.layout.endRecord + 10, 2);
                      return archive.bytes;
                    },
                    {},
                    {},
                    true},
        HostileCase{
            "Zip64FieldsShorterThanTheMarkersNeed",
            [] {
              HandArchive archive = Zip64({Stored("a.bin", "a"), Stored("b.bin", "b"), Stored("c.bin", "c")});
              // The central field of a.bin lacks its offset; the local field of b.bin its compressed size.
              archive.Put16(archive.layout.centralZip64Fields[0] + 2, 16);
              archive.Put16(archive.layout.localZip64Fields[1] + 2, 8);
              return archive.bytes;
            },
            {{kZipBadLocalHeader}, {kZipBadLocalHeader}, kExtracted},
            {{"c.bin", BytesOf("c")}}},
        HostileCase{"Zip64SizesAndOffsetsBeyondTheFile",
                    [] {
                      HandArchive archive =
                          Zip64({Stored("a.bin", "a"), Stored("b.bin", "b"), Stored("c.bin", "c"),
                                 Stored("d.bin", "d"), Stored("e.bin", "e")});
                      const auto& central = archive.layout.centralZip64Fields;
                      archive.Put64(central[0] + 12, kTebibyte);  // compressed size
                      archive.Put64(archive.layout.localZip64Fields[0] + 12, kTebibyte);
                      archive.Put64(central[1] + 20, kTebibyte);  // local header offset
                      archive.Put64(central[2] + 20, ~std::uint64_t{0});
                      archive.Put64(central[3] + 4, kTebibyte);  // uncompressed size
                      archive.Put64(archive.layout.localZip64Fields[3] + 4, kTebibyte);
                      return archive.bytes;
                    },
                    {{kZipBadLocalHeader},
                     {kZipBadLocalHeader},
                     {kZipBadLocalHeader},
                     {kZipOk, kZipBadArguments},
                     kExtracted},
                    {{"e.bin", BytesOf("e")}}},
        HostileCase{"LocalZip64FieldDisagreesWithTheCentralOne",
                    [] {
                      HandArchive archive = Zip64({Stored("a.bin", "abc"), Stored("b.bin", "b")});
                      archive.Put64(archive.layout.localZip64Fields[0] + 4, 2);
                      return archive.bytes;
                    },
                    {{kZipBadLocalHeader}, kExtracted},
                    {{"b.bin", BytesOf("b")}}}),
    [](const auto& info) { return std::string(info.param.label); });

// What one archive may write is known before anything is written.
TEST(ArchiveInputBudget, ArchiveBeyondItIsRefusedBeforeWritingAnything) {
  TempFolder folder;
  const Bytes archive = Honest({Deflated("a.bin", Repeated(3000)), Deflated("b.bin", Repeated(4000))});
  testing::WriteFile(folder / "archive.zip", archive);
  fs::path path = folder / "archive.zip";
  std::uint64_t budget = 6999;
  EXPECT_FALSE(ExtractArchiveInput(path, budget));
  EXPECT_EQ(path, folder / "archive.zip");
  EXPECT_EQ(budget, 6999u);
  EXPECT_TRUE(RegularFilesBeneath(folder.path()).empty());

  budget = 10000;
  ArchiveExtraction found;
  ASSERT_TRUE(ExtractArchiveInput(path, budget, &found));
  EXPECT_EQ(budget, 3000u);
  EXPECT_EQ(found.entryCount, 2);
  EXPECT_EQ(found.lastEntryName, "b.bin");
  EXPECT_EQ(found.declaredBytes, 7000u);
  EXPECT_EQ(testing::ReadFile(folder / "b.bin"), Repeated(4000));
}

TEST(ArchiveInputBudget, CountsTheSizesOfZip64Fields) {
  TempFolder folder;
  HandArchive archive = testing::BuildZip64Archive({Stored("a.bin", "a"), Stored("b.bin", "b")});
  archive.Put64(archive.layout.centralZip64Fields[0] + 4, kTebibyte);
  archive.Put64(archive.layout.localZip64Fields[0] + 4, kTebibyte);
  testing::WriteFile(folder / "archive.zip", archive.bytes);
  fs::path path = folder / "archive.zip";
  std::uint64_t budget = ExtractionBudget(archive.bytes.size());
  EXPECT_FALSE(ExtractArchiveInput(path, budget));
  EXPECT_EQ(path, folder / "archive.zip");
  EXPECT_TRUE(RegularFilesBeneath(folder.path()).empty());
}

TEST(ArchiveInputBudget, IsTheLargerOfOneGibibyteAndSixtyFourTimesTheArchive) {
  EXPECT_EQ(ExtractionBudget(0), std::uint64_t{1} << 30);
  EXPECT_EQ(ExtractionBudget(16u << 20), std::uint64_t{1} << 30);
  EXPECT_EQ(ExtractionBudget(100u << 20), std::uint64_t{6400} << 20);
  EXPECT_EQ(ExtractionBudget(~std::uint64_t{0}), ~std::uint64_t{0});
}

// Every entry is extracted; the one the loader goes on with is the last that
// is not macOS's metadata, unless there is no other.
TEST(ArchiveInputMacMetadata, IsExtractedButNotNamed) {
  struct Layout {
    std::vector<std::string> names;
    std::string named;
  };
  for (const Layout& layout : {
           Layout{{"job.prn", "__MACOSX/._job.prn"}, "job.prn"},
           Layout{{"__MACOSX/._a.prn", "a.prn", "sub/b.prn", "__MACOSX/sub/._b.prn"}, "sub/b.prn"},
           Layout{{"sub/__MACOSX/._c.prn", "c.prn", "sub/__MACOSX/._d.prn"}, "c.prn"},
           Layout{{"__MACOSX/._a.prn", "__MACOSX/._b.prn"}, "__MACOSX/._b.prn"},
           Layout{{"__MACOSX.prn", "x__MACOSX/y.prn"}, "x__MACOSX/y.prn"},
       }) {
    SCOPED_TRACE(layout.named);
    TempFolder folder;
    std::vector<HandEntry> entries;
    for (const std::string& name : layout.names) entries.push_back(Stored(name, name));
    testing::WriteFile(folder / "archive.zip", Honest(entries));
    fs::path path = folder / "archive.zip";
    ArchiveExtraction found;
    std::uint64_t budget = 1000;
    ASSERT_TRUE(ExtractArchiveInput(path, budget, &found));
    EXPECT_EQ(path, folder / layout.named);
    EXPECT_EQ(found.lastEntryName, layout.named);
    for (const std::string& name : layout.names)
      EXPECT_EQ(testing::ReadFile(folder / name), BytesOf(name)) << name;
  }
}

TEST(ReaderLookup, BadIndexesAndTheCache) {
  TempFolder folder;
  testing::WriteFile(folder / "a.zip", Honest({Stored("a.bin", "a"), Stored("b.bin", "b")}));
  ZipHandle* handle = ZipReaderOpen(folder / "a.zip");
  ASSERT_NE(handle, nullptr);
  ZipEntryInfo info;
  EXPECT_EQ(ZipReaderGetEntry(handle, -2, info), kZipBadArguments);
  EXPECT_EQ(ZipReaderGetEntry(handle, 2, info), kZipBadArguments);
  EXPECT_EQ(ZipReaderExtractEntry(handle, -1, "x"), kZipBadArguments);
  EXPECT_EQ(ZipReaderExtractEntry(handle, 2, "x"), kZipBadArguments);
  ASSERT_EQ(ZipReaderGetEntry(handle, 1, info), kZipOk);
  EXPECT_EQ(info.name, "b.bin");
  ASSERT_EQ(ZipReaderGetEntry(handle, 0, info), kZipOk);
  EXPECT_EQ(info.name, "a.bin");
  EXPECT_EQ(info.index, 0);
  EXPECT_EQ(info.attributes, kEntryArchive);
  EXPECT_EQ(info.compressedSize, 1u);
  ASSERT_TRUE(info.writeTime.has_value());
  EXPECT_EQ(info.writeTime->seconds, kDosTimeInUtc);
  ZipEntryInfo again;
  ASSERT_EQ(ZipReaderGetEntry(handle, 0, again), kZipOk);
  EXPECT_EQ(again.name, "a.bin");
  // A destination that leaves the base folder is refused whatever the caller says.
  ASSERT_EQ(ZipReaderSetBaseFolder(handle, folder / "base"), kZipOk);
  EXPECT_EQ(ZipReaderExtractEntry(handle, 0, "../a.bin"), kZipBadArguments);
  EXPECT_EQ(ZipReaderExtractEntry(handle, 0, "/tmp/a.bin"), kZipBadArguments);
  EXPECT_EQ(ZipReaderExtractEntry(handle, 0, "renamed.bin"), kZipOk);
  EXPECT_EQ(testing::ReadFile(folder / "base" / "renamed.bin"), BytesOf("a"));
  EXPECT_EQ(ZipReaderClose(handle), kZipOk);
  EXPECT_EQ(ZipReaderClose(nullptr), kZipBadArguments);
}

TEST(ReaderOpen, MissingFileOrFolderGivesNoHandle) {
  TempFolder folder;
  EXPECT_EQ(ZipReaderOpen(folder / "missing.zip"), nullptr);
  EXPECT_EQ(ZipReaderOpen(folder.path()), nullptr);
  testing::WriteFile(folder / "tiny.zip", Bytes{0x50, 0x4B, 0x03, 0x04});
  EXPECT_EQ(ZipReaderOpen(folder / "tiny.zip"), nullptr);
}

}  // namespace
}  // namespace tesk::zip
