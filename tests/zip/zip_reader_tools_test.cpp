// Archives made at test time by the tools people really use, read back by
// ExtractArchiveInput. Each script asserts the property its case is about
// (data descriptors, the UTF-8 flag, encryption), so a tool that changed its
// habits fails the case instead of passing it for the wrong reason.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "platform/file_times.h"
#include "tests/zip/archive_tools.h"
#include "zip/archive_input.h"
#include "zip/zip_reader.h"

namespace tesk::zip {
namespace {

using testing::Bytes;
using testing::RegularFilesBeneath;
using testing::TempFolder;
namespace fs = std::filesystem;

constexpr std::int64_t kJobTime = 1468413297;  // 2016-07-13 12:34:57 UTC

Bytes JobContent() {
  Bytes job = {0x1B, 0x40};
  for (int index = 0; index < 40000; ++index)
    job.push_back(static_cast<std::uint8_t>((index / 100) % 5 == 0 ? index * 7 : 0));
  return job;
}

// The inputs every script can pack, in work/.
void MakeInputs(const fs::path& work) {
  fs::create_directories(work / "sub");
  testing::WriteFile(work / "job.prn", JobContent());
  testing::WriteFile(work / "empty.bin", Bytes{});
  testing::WriteFile(work / "sub" / "inner.bin", std::string_view("inner"));
  testing::WriteFile(work / "收据.bin", std::string_view("receipt"));
  platform::SetFileTimes(work / "job.prn", platform::Timestamp{kJobTime, 0},
                         platform::Timestamp{kJobTime, 0});
}

struct ToolCase {
  const char* label;
  std::string script;  // run in work/; leaves archive.zip there
  // Extracted file -> the file in work/ with the same bytes, or "=text" for literal bytes.
  std::map<std::string, std::string> files;
  std::string lastEntry;  // what `path` names afterwards; empty: nothing was extracted
  std::vector<std::string> folders = {};
  // How far job.prn's time may lie from its source's: 0 with a "UT" field,
  // 1 with two-second MS-DOS times alone.
  int jobTimeTolerance = 0;
};

void PrintTo(const ToolCase& test, std::ostream* out) { *out << test.label; }

// Python that asserts something of every entry of archive.zip, e.g. "i.flag_bits & 8".
std::string EveryEntry(const std::string& condition) {
  return " && python3 -c \"import zipfile; l = zipfile.ZipFile('archive.zip').infolist(); "
         "assert l and all(" +
         condition + " for i in l), [(i.filename, i.flag_bits) for i in l]\"";
}

class ToolArchives : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolArchives, ExtractBesideTheArchive) {
  const ToolCase& test = GetParam();
  TempFolder root;
  const fs::path work = root / "work";
  const fs::path base = root / "base";
  MakeInputs(work);
  fs::create_directories(base);
  std::string output;
  ASSERT_EQ(testing::RunCommand("cd " + testing::Quoted(work) + " && " + test.script, &output), 0) << output;
  fs::copy_file(work / "archive.zip", base / "archive.zip");

  const fs::path archivePath = base / "archive.zip";
  fs::path path = archivePath;
  EXPECT_EQ(ExtractArchiveInput(path), !test.lastEntry.empty());
  EXPECT_EQ(path, test.lastEntry.empty() ? archivePath : base / test.lastEntry);

  if (test.files.count("job.prn")) {
    struct stat info {};
    ASSERT_EQ(::stat((base / "job.prn").c_str(), &info), 0);
    EXPECT_LE(std::abs(info.st_mtim.tv_sec - kJobTime), test.jobTimeTolerance);
  }
  std::map<std::string, Bytes> expected;
  for (const auto& [name, source] : test.files)
    expected[name] = source.rfind('=', 0) == 0 ? Bytes(source.begin() + 1, source.end())
                                               : testing::ReadFile(work / source);
  EXPECT_EQ(RegularFilesBeneath(base), expected);
  for (const std::string& folder : test.folders) EXPECT_TRUE(fs::is_directory(base / folder)) << folder;
}

// zip -z keeps only the first few hundred bytes of a long comment; Python's
// zipfile sets it whole.
std::string CommentOf(int length) {
  const std::string size = std::to_string(length);
  return "python3 -c \"import zipfile; z = zipfile.ZipFile('archive.zip', 'a'); z.comment = b'c' * " + size +
         "; z.close(); assert len(zipfile.ZipFile('archive.zip').comment) == " + size + "\"";
}
// The ZIP64 end record and its locator lie in front of the classic end record.
const std::string kHasZip64EndRecord =
    " && python3 -c \"d = open('archive.zip', 'rb').read(); e = d.rindex(b'PK\\x05\\x06'); "
    "assert d[e - 20:e - 16] == b'PK\\x06\\x07' and d[e - 76:e - 72] == b'PK\\x06\\x06'\"";
// The first local header keeps its sizes in its ZIP64 field.
const std::string kLocalSizesInZip64 =
    " && python3 -c \"d = open('archive.zip', 'rb').read(); "
    "assert d[18:26] == b'\\xff' * 8 and d[30 + d[26]:32 + d[26]] == bytes([1, 0])\"";
const std::string kZip64Stub =
    "zip -q -fz inner.zip job.prn && head -c 1000 /dev/zero > archive.zip && "
    "cat inner.zip >> archive.zip" +
    kHasZip64EndRecord;
// The one entry's data descriptor holds 8-byte sizes: 24 bytes up to the central directory.
const std::string kEightByteDescriptor =
    " && python3 -c \"d = open('archive.zip', 'rb').read(); p = d.index(b'PK\\x07\\x08'); "
    "assert d[p + 24:p + 28] == b'PK\\x01\\x02'\"";
const std::string kStub =
    "zip -q inner.zip job.prn && head -c 1000 /dev/zero > archive.zip && cat inner.zip >> archive.zip";

INSTANTIATE_TEST_SUITE_P(
    Table, ToolArchives,
    ::testing::Values(
        ToolCase{"InfoZipStored",
                 "zip -q -0 archive.zip job.prn" + EveryEntry("i.compress_type == 0"),
                 {{"job.prn", "job.prn"}},
                 "job.prn"},
        ToolCase{"InfoZipDeflated",
                 "zip -q -8 archive.zip job.prn empty.bin" +
                     EveryEntry("b'UT' in i.extra and b'ux' in i.extra"),
                 {{"job.prn", "job.prn"}, {"empty.bin", "empty.bin"}},
                 "empty.bin"},
        ToolCase{"InfoZipFolders",
                 "zip -q -r archive.zip sub job.prn",
                 {{"sub/inner.bin", "sub/inner.bin"}, {"job.prn", "job.prn"}},
                 "job.prn",
                 {"sub"}},
        ToolCase{"InfoZipDirectoryEntryLast",
                 "zip -q archive.zip job.prn && zip -q archive.zip sub",
                 {{"job.prn", "job.prn"}},
                 "sub/",
                 {"sub"}},
        ToolCase{"PythonEmptyArchive",
                 "python3 -c \"import zipfile; zipfile.ZipFile('archive.zip', 'w').close()\" && "
                 "test $(stat -c %s archive.zip) -eq 22",
                 {},
                 ""},
        ToolCase{"Comment2000",
                 "zip -q archive.zip job.prn && " + CommentOf(2000),
                 {{"job.prn", "job.prn"}},
                 "job.prn"},
        ToolCase{"Comment65535",
                 "zip -q archive.zip job.prn && " + CommentOf(65535),
                 {{"job.prn", "job.prn"}},
                 "job.prn"},
        ToolCase{"StubWithOffsetsFromTheArchive", kStub, {{"job.prn", "job.prn"}}, "job.prn"},
        ToolCase{"StubWithOffsetsFromTheFile",
                 kStub + " && zip -q -A archive.zip",
                 {{"job.prn", "job.prn"}},
                 "job.prn"},
        ToolCase{"InfoZipToAPipe",
                 "zip -q - job.prn empty.bin | cat > archive.zip" + EveryEntry("i.flag_bits & 8"),
                 {{"job.prn", "job.prn"}, {"empty.bin", "empty.bin"}},
                 "empty.bin"},
        ToolCase{
            "PythonDeflated",
            "python3 -c \"import zipfile; z = zipfile.ZipFile('archive.zip', 'w', zipfile.ZIP_DEFLATED); "
            "z.write('job.prn'); z.write('sub'); z.write('sub/inner.bin'); z.close()\"",
            {{"job.prn", "job.prn"}, {"sub/inner.bin", "sub/inner.bin"}},
            "sub/inner.bin",
            {"sub"},
            1},
        ToolCase{"PythonToAStream",
                 "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.stdout.buffer, 'w', "
                 "zipfile.ZIP_DEFLATED); z.write('job.prn'); z.close()\" | cat > archive.zip" +
                     EveryEntry("i.flag_bits & 8"),
                 {{"job.prn", "job.prn"}},
                 "job.prn",
                 {},
                 1},
        ToolCase{"SevenZip",
                 "7z a -tzip -bd -bso0 archive.zip job.prn sub",
                 {{"job.prn", "job.prn"}, {"sub/inner.bin", "sub/inner.bin"}},
                 "sub/inner.bin",
                 {"sub"},
                 1},
        // The empty password really is empty: unzip opens the entries with it, and not with another.
        ToolCase{"SevenZipEmptyPassword",
                 "printf '\\n' | 7z a -tzip -p -mem=ZipCrypto -bd -bso0 archive.zip job.prn sub/inner.bin" +
                     EveryEntry("i.flag_bits & 1") +
                     " && unzip -qq -P '' -t archive.zip && ! unzip -qq -P x -t archive.zip",
                 {{"job.prn", "job.prn"}, {"sub/inner.bin", "sub/inner.bin"}},
                 "sub/inner.bin",
                 {"sub"},
                 1},
        ToolCase{
            "SevenZipEmptyPasswordToAPipe",
            "printf '\\n' | 7z a -tzip -p -mem=ZipCrypto -bd -bso0 -so x.zip job.prn | cat > archive.zip" +
                EveryEntry("i.flag_bits & 9 == 9") + " && unzip -qq -P '' -t archive.zip",
            {{"job.prn", "job.prn"}},
            "job.prn",
            {},
            1},
        ToolCase{"InfoZipUnicodeNameWithoutTheFlag",
                 "zip -q archive.zip 收据.bin" + EveryEntry("not i.flag_bits & 0x800"),
                 {{"收据.bin", "收据.bin"}},
                 "收据.bin"},
        ToolCase{"PythonUnicodeNameWithTheFlag",
                 "python3 -c \"import zipfile; z = zipfile.ZipFile('archive.zip', 'w'); "
                 "z.write('收据.bin'); z.close()\"" +
                     EveryEntry("i.flag_bits & 0x800"),
                 {{"收据.bin", "收据.bin"}},
                 "收据.bin"},
        ToolCase{"InfoZipSymbolicLink",
                 "ln -s job.prn link.prn && zip -q -y archive.zip job.prn link.prn",
                 {{"job.prn", "job.prn"}, {"link.prn", "=job.prn"}},
                 "link.prn"},
        // Windows tools write a backslash between folders.
        ToolCase{
            "PythonBackslashNames",
            "python3 -c \"import zipfile; z = zipfile.ZipFile('archive.zip', 'w', zipfile.ZIP_DEFLATED); "
            "z.writestr('sub' + chr(92) + 'job.prn', open('job.prn', 'rb').read()); z.close()\"" +
                EveryEntry("chr(92) in i.orig_filename"),
            {{"sub/job.prn", "job.prn"}},
            "sub/job.prn",
            {"sub"},
            1},
        // Methods other than stored and deflated are refused entry by entry,
        // leaving nothing behind; the good entries before them still count.
        ToolCase{"SevenZipDeflate64",
                 "7z a -tzip -mm=Deflate64 -bd -bso0 archive.zip job.prn" +
                     EveryEntry("i.compress_type == 9"),
                 {},
                 ""},
        ToolCase{"SevenZipBzip2",
                 "7z a -tzip -mm=BZip2 -bd -bso0 archive.zip job.prn" + EveryEntry("i.compress_type == 12"),
                 {},
                 ""},
        ToolCase{"PythonLzmaAndBzip2AfterADeflatedEntry",
                 "python3 -c \"import zipfile as z; a = z.ZipFile('archive.zip', 'w', z.ZIP_DEFLATED); "
                 "a.write('job.prn'); a.write('sub/inner.bin', compress_type=z.ZIP_LZMA); "
                 "a.write('empty.bin', compress_type=z.ZIP_BZIP2); a.close()\"",
                 {{"job.prn", "job.prn"}},
                 "job.prn",
                 {},
                 1},
        // ZIP64: sizes and offsets in the extra field, the directory found
        // through the ZIP64 end record.
        ToolCase{"InfoZipZip64Fields",
                 "zip -q -fz archive.zip job.prn empty.bin" + EveryEntry("bytes([1, 0, 8, 0]) in i.extra") +
                     kHasZip64EndRecord,
                 {{"job.prn", "job.prn"}, {"empty.bin", "empty.bin"}},
                 "empty.bin"},
        ToolCase{"InfoZipZip64BehindAStub", kZip64Stub, {{"job.prn", "job.prn"}}, "job.prn"},
        ToolCase{"InfoZipFromStandardInput",
                 "cat job.prn | zip -q archive.zip -" + kHasZip64EndRecord + kLocalSizesInZip64,
                 {{"-", "job.prn"}},
                 "-"},
        ToolCase{"InfoZipFromStandardInputToAPipe",
                 "cat job.prn | zip -q - - | cat > archive.zip" + EveryEntry("i.flag_bits & 8") +
                     kLocalSizesInZip64 + kEightByteDescriptor,
                 {{"-", "job.prn"}},
                 "-"},
        ToolCase{"PythonForcedZip64",
                 "python3 -c \"import zipfile; z = zipfile.ZipFile('archive.zip', 'w'); "
                 "i = zipfile.ZipInfo.from_file('job.prn'); i.compress_type = zipfile.ZIP_DEFLATED; "
                 "w = z.open(i, 'w', force_zip64=True); w.write(open('job.prn', 'rb').read()); w.close(); "
                 "w = z.open(zipfile.ZipInfo.from_file('sub/inner.bin'), 'w', force_zip64=True); "
                 "w.write(b'inner'); w.close(); z.close()\"" +
                     kLocalSizesInZip64,
                 {{"job.prn", "job.prn"}, {"sub/inner.bin", "sub/inner.bin"}},
                 "sub/inner.bin",
                 {"sub"},
                 1},
        ToolCase{"Bsdtar",
                 "bsdtar --format zip -cf archive.zip job.prn sub",
                 {{"job.prn", "job.prn"}, {"sub/inner.bin", "sub/inner.bin"}},
                 "sub/inner.bin",
                 {"sub"}}),
    [](const auto& info) { return std::string(info.param.label); });

// A bare archive name lies in the current folder, and so do its entries.
TEST(ArchiveInputPaths, BareNameExtractsIntoTheCurrentFolder) {
  TempFolder root;
  MakeInputs(root.path());
  std::string output;
  ASSERT_EQ(testing::RunCommand("cd " + testing::Quoted(root.path()) +
                                    " && zip -q pack.zip job.prn && rm job.prn",
                                &output),
            0)
      << output;
  const fs::path before = fs::current_path();
  fs::current_path(root.path());
  fs::path path = "pack.zip";
  const bool extracted = ExtractArchiveInput(path);
  fs::current_path(before);
  EXPECT_TRUE(extracted);
  EXPECT_EQ(path, fs::path("./job.prn"));
  EXPECT_EQ(testing::ReadFile(root / "job.prn"), JobContent());
}

// A wrong password fails on the check byte, or in the rare case the check byte
// matches by chance, on the data; either way no file is left.
TEST(ToolArchivesEncrypted, OtherPasswordLeavesNoFile) {
  TempFolder root;
  MakeInputs(root.path());
  std::string output;
  ASSERT_EQ(testing::RunCommand("cd " + testing::Quoted(root.path()) +
                                    " && printf 'secret\\n' | 7z a -tzip -psecret -mem=ZipCrypto -bd -bso0 "
                                    "archive.zip job.prn sub/inner.bin",
                                &output),
            0)
      << output;
  fs::create_directories(root / "out");
  ZipHandle* handle = ZipReaderOpen(root / "archive.zip");
  ASSERT_NE(handle, nullptr);
  ZipReaderSetBaseFolder(handle, root / "out");
  for (std::int32_t index = 0; index < 2; ++index) {
    ZipEntryInfo info;
    ASSERT_EQ(ZipReaderGetEntry(handle, index, info), kZipOk);
    const ZipResult result = ZipReaderExtractEntry(handle, index, info.name);
    EXPECT_TRUE(result == kZipBadPassword || result == kZipBadData) << std::hex << result;
  }
  ZipReaderClose(handle);
  EXPECT_FALSE(fs::exists(root / "out" / "job.prn"));
  EXPECT_FALSE(fs::exists(root / "out" / "sub" / "inner.bin"));
}

// What a lookup reports of an entry that Info-ZIP made, next to what the file system says.
TEST(ToolArchivesLookup, InfoZipEntryTimesAndAttributes) {
  TempFolder root;
  MakeInputs(root.path());
  ::chmod((root / "job.prn").c_str(), 0444);
  std::string output;
  ASSERT_EQ(testing::RunCommand("cd " + testing::Quoted(root.path()) +
                                    " && zip -q -8 archive.zip job.prn sub",
                                &output),
            0)
      << output;
  ZipHandle* handle = ZipReaderOpen(root / "archive.zip");
  ASSERT_NE(handle, nullptr);
  ZipEntryInfo info;
  ASSERT_EQ(ZipReaderGetEntry(handle, -1, info), kZipOk);
  EXPECT_EQ(info.index, 2);
  ASSERT_EQ(ZipReaderGetEntry(handle, 0, info), kZipOk);
  EXPECT_EQ(info.name, "job.prn");
  EXPECT_EQ(info.attributes, kEntryArchive | kEntryReadOnly);
  EXPECT_EQ(info.uncompressedSize, JobContent().size());
  EXPECT_LT(info.compressedSize, info.uncompressedSize);
  ASSERT_TRUE(info.writeTime && info.accessTime);
  EXPECT_EQ(info.writeTime->seconds, kJobTime);
  EXPECT_EQ(info.accessTime->seconds, kJobTime);
  ASSERT_EQ(ZipReaderGetEntry(handle, 1, info), kZipOk);
  EXPECT_EQ(info.name, "sub/");
  EXPECT_EQ(info.attributes & kEntryDirectory, kEntryDirectory);
  ZipReaderClose(handle);
}

}  // namespace
}  // namespace tesk::zip
