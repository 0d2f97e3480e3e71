#include "zip/zip_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "platform/file_times.h"
#include "platform/input_file.h"
#include "platform/little_endian.h"
#include "platform/write_faults.h"
#include "tests/zip/archive_tools.h"
#include "zip/archive_input.h"
#include "zip/zip_reader.h"

namespace tesk::zip {
namespace {

using platform::ReadLe16;
using platform::ReadLe32;
using testing::Bytes;
using testing::TempFolder;
namespace fs = std::filesystem;

constexpr std::int64_t kOddSecond = 1468413297;  // 2016-07-13 12:34:57 UTC

// Compressible and longer than one 16 KiB block, so the stream spans several.
Bytes SampleContent(std::size_t size) {
  Bytes bytes(size);
  std::uint32_t state = 12345;
  for (std::size_t index = 0; index < size; ++index) {
    state = state * 1103515245u + 12345u;
    bytes[index] = (index / 64) % 3 == 0 ? static_cast<std::uint8_t>(state >> 24) : 0x1B;
  }
  return bytes;
}

std::uint32_t Crc32Of(const Bytes& bytes) {
  return static_cast<std::uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// As Python's hex() writes it.
std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
  return text;
}

struct SourceFile {
  std::string entryName;
  std::optional<Bytes> content;  // none: the source does not exist
  mode_t mode = 0644;
  std::int64_t lastWrite = kOddSecond;
};

struct ExpectedFields {
  std::string storedName;
  std::uint16_t method;
  std::uint16_t flags;
  std::uint32_t externalAttributes;
  std::uint16_t dosDate = 0x48ED;
  std::uint16_t dosTime = 0x645C;
};

struct WriterCase {
  const char* label;
  std::vector<SourceFile> sources;
  std::vector<ZipResult> addResults;
  std::vector<ExpectedFields> entries;  // those that made it into the archive, in order
};

void PrintTo(const WriterCase& test, std::ostream* out) { *out << test.label; }

// An entry as its bytes say, read field by field from the archive.
struct ParsedEntry {
  std::uint32_t localOffset = 0;
  std::size_t dataOffset = 0;
  std::uint32_t compressedSize = 0;
};

class ZipWriterCases : public ::testing::TestWithParam<WriterCase> {};

TEST_P(ZipWriterCases, WritesTheArchiveByteForByte) {
  const WriterCase& test = GetParam();
  TempFolder folder;
  const fs::path archivePath = folder / "out.zip";

  ZipHandle* handle = ZipWriterCreate(archivePath);
  ASSERT_NE(handle, nullptr);
  std::vector<testing::ExpectedEntry> contents;
  std::vector<platform::FileStatus> statuses;
  for (std::size_t index = 0; index < test.sources.size(); ++index) {
    const SourceFile& source = test.sources[index];
    const fs::path sourcePath = folder / ("source" + std::to_string(index));
    if (source.content) {
      testing::WriteFile(sourcePath, *source.content);
      ASSERT_TRUE(platform::SetFileTimes(sourcePath, platform::Timestamp{source.lastWrite - 3600, 0},
                                         platform::Timestamp{source.lastWrite, 0}));
      ::chmod(sourcePath.c_str(), source.mode);
    }
    // Taken before the add: reading the source moves its access time on.
    std::optional<platform::FileStatus> status;
    if (platform::InputFile opened = platform::InputFile::Open(sourcePath); opened.IsOpen())
      status = platform::StatusOf(opened.Descriptor());
    EXPECT_EQ(ZipWriterAddFile(handle, source.entryName, sourcePath), test.addResults[index])
        << source.entryName;
    if (test.addResults[index] == kZipOk) {
      contents.push_back({test.entries[contents.size()].storedName, *source.content});
      statuses.push_back(*status);
    }
  }
  EXPECT_EQ(ZipWriterClose(handle), kZipOk);

  const Bytes archive = testing::ReadFile(archivePath);
  ASSERT_EQ(contents.size(), test.entries.size());
  std::vector<ParsedEntry> parsed;
  std::size_t position = 0;
  for (std::size_t index = 0; index < test.entries.size(); ++index) {
    SCOPED_TRACE(test.entries[index].storedName);
    const ExpectedFields& expected = test.entries[index];
    const Bytes& content = contents[index].content;
    const std::uint8_t* local = archive.data() + position;
    const std::size_t n = expected.storedName.size();
    ASSERT_LE(position + 47 + n, archive.size());
    EXPECT_EQ(ReadLe32(local), 0x04034B50u);
    EXPECT_EQ(ReadLe16(local + 4), 20);
    EXPECT_EQ(ReadLe16(local + 6), expected.flags);
    EXPECT_EQ(ReadLe16(local + 8), expected.method);
    EXPECT_EQ(ReadLe16(local + 10), expected.dosTime);
    EXPECT_EQ(ReadLe16(local + 12), expected.dosDate);
    EXPECT_EQ(ReadLe32(local + 14), Crc32Of(content));
    const std::uint32_t compressed = ReadLe32(local + 18);
    EXPECT_EQ(ReadLe32(local + 22), content.size());
    if (expected.method == 0) {
      EXPECT_EQ(compressed, content.size());
    }
    EXPECT_EQ(ReadLe16(local + 26), n);
    EXPECT_EQ(ReadLe16(local + 28), 17);
    EXPECT_EQ(std::string(local + 30, local + 30 + n), expected.storedName);
    const platform::FileStatus& status = statuses[index];
    const std::uint8_t* extra = local + 30 + n;
    EXPECT_EQ(Bytes(extra, extra + 5), testing::HexBytes("55 54 0d 00 07"));
    EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(extra + 5)), status.lastWrite.seconds);
    EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(extra + 9)), status.lastAccess.seconds);
    EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(extra + 13)), status.creation.seconds);
    if (content.empty() && expected.method == 8) {
      // zlib's complete empty raw deflate stream.
      EXPECT_EQ(Bytes(extra + 17, extra + 17 + compressed), testing::HexBytes("03 00"));
    }
    parsed.push_back({static_cast<std::uint32_t>(position), position + 47 + n, compressed});
    position += 47 + n + compressed;
  }

  const std::size_t directoryOffset = position;
  for (std::size_t index = 0; index < test.entries.size(); ++index) {
    SCOPED_TRACE(test.entries[index].storedName);
    const ExpectedFields& expected = test.entries[index];
    const std::size_t n = expected.storedName.size();
    ASSERT_LE(position + 55 + n, archive.size());
    const std::uint8_t* central = archive.data() + position;
    EXPECT_EQ(ReadLe32(central), 0x02014B50u);
    EXPECT_EQ(ReadLe16(central + 4), 0x0B17);
    EXPECT_EQ(ReadLe16(central + 6), 20);
    EXPECT_EQ(ReadLe16(central + 8), expected.flags);
    EXPECT_EQ(ReadLe16(central + 10), expected.method);
    EXPECT_EQ(ReadLe16(central + 12), expected.dosTime);
    EXPECT_EQ(ReadLe16(central + 14), expected.dosDate);
    EXPECT_EQ(ReadLe32(central + 16), Crc32Of(contents[index].content));
    EXPECT_EQ(ReadLe32(central + 20), parsed[index].compressedSize);
    EXPECT_EQ(ReadLe32(central + 24), contents[index].content.size());
    EXPECT_EQ(ReadLe16(central + 28), n);
    EXPECT_EQ(ReadLe16(central + 30), 9);
    EXPECT_EQ(ReadLe16(central + 32), 0);  // comment
    EXPECT_EQ(ReadLe16(central + 34), 0);  // disk
    EXPECT_EQ(ReadLe16(central + 36), 0);  // internal attributes
    EXPECT_EQ(ReadLe32(central + 38), expected.externalAttributes);
    EXPECT_EQ(ReadLe32(central + 42), parsed[index].localOffset);
    EXPECT_EQ(std::string(central + 46, central + 46 + n), expected.storedName);
    const std::uint8_t* extra = central + 46 + n;
    EXPECT_EQ(Bytes(extra, extra + 5), testing::HexBytes("55 54 05 00 07"));
    EXPECT_EQ(static_cast<std::int32_t>(ReadLe32(extra + 5)), statuses[index].lastWrite.seconds);
    position += 55 + n;
  }

  ASSERT_EQ(archive.size(), position + 22) << "the end record closes the archive";
  const std::uint8_t* end = archive.data() + position;
  EXPECT_EQ(Bytes(end, end + 8), testing::HexBytes("50 4b 05 06 00 00 00 00"));
  EXPECT_EQ(ReadLe16(end + 8), test.entries.size());
  EXPECT_EQ(ReadLe16(end + 10), test.entries.size());
  EXPECT_EQ(ReadLe32(end + 12), position - directoryOffset);
  EXPECT_EQ(ReadLe32(end + 16), directoryOffset);
  EXPECT_EQ(ReadLe16(end + 20), 0);

  testing::ExpectEveryToolAccepts(archivePath, contents);
  const auto listing = testing::PythonListing(archivePath);
  ASSERT_EQ(listing.size(), test.entries.size());
  for (std::size_t index = 0; index < listing.size(); ++index) {
    const ExpectedFields& expected = test.entries[index];
    EXPECT_EQ(listing[index],
              expected.storedName + " " + Hex(expected.flags) + " " + std::to_string(expected.method) + " " +
                  Hex(Crc32Of(contents[index].content)) + " " + std::to_string(parsed[index].compressedSize) +
                  " " + std::to_string(contents[index].content.size()) + " " +
                  Hex(expected.externalAttributes) + " 0xb17 " + std::to_string(parsed[index].localOffset));
  }
}

const std::string kLongestName = std::string(255, 'n') + ".bin";  // 259 bytes

INSTANTIATE_TEST_SUITE_P(
    Table, ZipWriterCases,
    ::testing::Values(
        WriterCase{"DeflatedJob",
                   {{"job.bin", SampleContent(40000)}},
                   {kZipOk},
                   {{"job.bin", 8, 0x0002, 0x81800020}}},
        WriterCase{"MissingSourceGivesAnEmptyArchive", {{"job.bin", std::nullopt}}, {kZipCannotOpen}, {}},
        WriterCase{"EmptySource", {{"empty.bin", Bytes{}}}, {kZipOk}, {{"empty.bin", 8, 0x0002, 0x81800020}}},
        WriterCase{"CompressedSuffixesAreStored",
                   {{"pack.ZIP", SampleContent(20000)},
                    {"b.Tgz", SampleContent(100)},
                    {".gz", SampleContent(10)},
                    {"x.Z", SampleContent(10)}},
                   {kZipOk, kZipOk, kZipOk, kZipOk},
                   {{"pack.ZIP", 0, 0x0000, 0x81800020},
                    {"b.Tgz", 0, 0x0000, 0x81800020},
                    {".gz", 0, 0x0000, 0x81800020},
                    {"x.Z", 0, 0x0000, 0x81800020}}},
        WriterCase{"OtherSuffixesAreDeflated",
                   {{"a.zip.bak", SampleContent(300)},
                    {"noext", SampleContent(300)},
                    {"z.zipx", SampleContent(300)}},
                   {kZipOk, kZipOk, kZipOk},
                   {{"a.zip.bak", 8, 0x0002, 0x81800020},
                    {"noext", 8, 0x0002, 0x81800020},
                    {"z.zipx", 8, 0x0002, 0x81800020}}},
        WriterCase{"BackslashesBecomeSlashes",
                   {{"dir\\sub\\f.bin", SampleContent(50)}},
                   {kZipOk},
                   {{"dir/sub/f.bin", 8, 0x0002, 0x81800020}}},
        WriterCase{"EmptyNameWritesNothing", {{"", SampleContent(50)}}, {kZipBadArguments}, {}},
        WriterCase{"NamesUpTo259Bytes",
                   {{kLongestName, SampleContent(20)}, {kLongestName + "x", SampleContent(20)}},
                   {kZipOk, kZipBadArguments},
                   {{kLongestName, 8, 0x0002, 0x81800020}}},
        WriterCase{"NonAsciiNameIsMarkedUtf8",
                   {{"收据.bin", SampleContent(20)}},
                   {kZipOk},
                   {{"收据.bin", 8, 0x0802, 0x81800020}}},
        WriterCase{"ReadOnlySource",
                   {{"ro.bin", SampleContent(20), 0444}},
                   {kZipOk},
                   {{"ro.bin", 8, 0x0002, 0x81000021}}},
        WriterCase{"ExecutableSource",
                   {{"run.bin", SampleContent(20), 0755}},
                   {kZipOk},
                   {{"run.bin", 8, 0x0002, 0x81C00020}}},
        // 12:34:57 keeps 28 in the low five bits: MS-DOS times count two seconds.
        WriterCase{"EvenSecond",
                   {{"even.bin", SampleContent(20), 0644, kOddSecond + 1}},
                   {kZipOk},
                   {{"even.bin", 8, 0x0002, 0x81800020, 0x48ED, 0x645D}}},
        // Before 1980 the MS-DOS fields are pinned to their first day.
        WriterCase{"Before1980",
                   {{"old.bin", SampleContent(20), 0644, 0}},
                   {kZipOk},
                   {{"old.bin", 8, 0x0002, 0x81800020, 0x0021, 0x0000}}},
        WriterCase{"TwoAddsFollowEachOther",
                   {{"first.bin", SampleContent(30000)}, {"second.zip", SampleContent(777)}},
                   {kZipOk, kZipOk},
                   {{"first.bin", 8, 0x0002, 0x81800020}, {"second.zip", 0, 0x0000, 0x81800020}}},
        WriterCase{"FailedAddLeavesTheNextEntryIntact",
                   {{"a.bin", SampleContent(500)}, {"gone.bin", std::nullopt}, {"b.bin", SampleContent(600)}},
                   {kZipOk, kZipCannotOpen, kZipOk},
                   {{"a.bin", 8, 0x0002, 0x81800020}, {"b.bin", 8, 0x0002, 0x81800020}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ZipWriterSizes, OneEntryArchiveIs124Plus2nPlusDBytes) {
  TempFolder folder;
  testing::WriteFile(folder / "job.bin", SampleContent(5000));
  ZipHandle* handle = ZipWriterCreate(folder / "jobbin.zip");
  ASSERT_EQ(ZipWriterAddFile(handle, "job.bin", folder / "job.bin"), kZipOk);
  ASSERT_EQ(ZipWriterClose(handle), kZipOk);
  const Bytes archive = testing::ReadFile(folder / "jobbin.zip");
  const std::uint32_t deflated = ReadLe32(archive.data() + 18);
  EXPECT_EQ(archive.size(), 124u + 2 * 7 + deflated);
  EXPECT_EQ(ReadLe32(archive.data() + archive.size() - 6), 47u + 7 + deflated);
}

TEST(ZipWriterHandles, MissingAndForeignHandlesAreRefused) {
  TempFolder folder;
  EXPECT_EQ(ZipWriterAddFile(nullptr, "a", folder / "a"), kZipBadArguments);
  EXPECT_EQ(ZipWriterClose(nullptr), kZipBadArguments);

  testing::WriteFile(folder / "empty.zip",
                     testing::HexBytes("504b0506 00000000 00000000 00000000 00000000 0000"));
  ZipHandle* reader = ZipReaderOpen(folder / "empty.zip");
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(ZipWriterAddFile(reader, "a", folder / "empty.zip"), kZipWrongHandle);
  EXPECT_EQ(ZipWriterClose(reader), kZipWrongHandle);  // and the reader lives on
  EXPECT_EQ(ZipReaderSetBaseFolder(reader, folder.path()), kZipOk);
  EXPECT_EQ(ZipReaderClose(reader), kZipOk);

  ZipHandle* writer = ZipWriterCreate(folder / "w.zip");
  ASSERT_NE(writer, nullptr);
  ZipEntryInfo info;
  EXPECT_EQ(ZipReaderGetEntry(writer, -1, info), kZipWrongHandle);
  EXPECT_EQ(ZipReaderExtractEntry(writer, 0, "x"), kZipWrongHandle);
  EXPECT_EQ(ZipReaderSetBaseFolder(writer, folder.path()), kZipWrongHandle);
  EXPECT_EQ(ZipReaderClose(writer), kZipWrongHandle);
  EXPECT_EQ(ZipWriterAddFile(writer, "a", fs::path()), kZipBadArguments);  // no source path
  EXPECT_EQ(ZipWriterClose(writer), kZipOk);
  EXPECT_EQ(fs::file_size(folder / "w.zip"), 22u);
}

TEST(ZipWriterCreate, NoHandleWhenTheArchiveCannotBeCreated) {
  TempFolder folder;
  EXPECT_EQ(ZipWriterCreate(folder / "missing" / "a.zip"), nullptr);
  EXPECT_EQ(ZipWriterCreate(folder.path()), nullptr);
  testing::WriteFile(folder / "held.zip", std::string_view("keep"));
  platform::InputFile held = platform::InputFile::Open(folder / "held.zip");
  EXPECT_EQ(ZipWriterCreate(folder / "held.zip"), nullptr);
  EXPECT_EQ(testing::ReadFile(folder / "held.zip"), Bytes({'k', 'e', 'e', 'p'}));
}

TEST(ZipWriterSource, TheArchiveItselfIsNoSource) {
  TempFolder folder;
  ZipHandle* handle = ZipWriterCreate(folder / "out.zip");
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(ZipWriterAddFile(handle, "out.zip", folder / "out.zip"), kZipCannotOpen);
  EXPECT_EQ(ZipWriterClose(handle), kZipOk);
  EXPECT_EQ(fs::file_size(folder / "out.zip"), 22u);
}

// A guard that leaves its scope closes the handle: the writer's archive gets
// its central directory and end record, so a reader can open it.
TEST(ZipScopedHandles, LeavingTheScopeCompletesTheArchive) {
  TempFolder folder;
  testing::WriteFile(folder / "job.bin", SampleContent(300));
  {
    const ScopedZipWriter writer(ZipWriterCreate(folder / "jobbin.zip"));
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(ZipWriterAddFile(writer.get(), "job.bin", folder / "job.bin"), kZipOk);
  }
  const ScopedZipReader reader(ZipReaderOpen(folder / "jobbin.zip"));
  ASSERT_NE(reader, nullptr);
  ZipEntryInfo info;
  ASSERT_EQ(ZipReaderGetEntry(reader.get(), -1, info), kZipOk);
  EXPECT_EQ(info.index, 1);
  ASSERT_EQ(ZipReaderGetEntry(reader.get(), 0, info), kZipOk);
  EXPECT_EQ(info.name, "job.bin");
  EXPECT_EQ(info.uncompressedSize, 300u);
}

// The writer and the reader agree: our archive extracts with its times and attributes.
TEST(ZipRoundTrip, ExtractsWithTheSourcesTimes) {
  TempFolder folder;
  fs::create_directory(folder / "out");
  testing::WriteFile(folder / "job.bin", SampleContent(30000));
  ASSERT_TRUE(platform::SetFileTimes(folder / "job.bin", platform::Timestamp{kOddSecond - 60, 0},
                                     platform::Timestamp{kOddSecond, 0}));
  ZipHandle* writer = ZipWriterCreate(folder / "out" / "jobbin.zip");
  ASSERT_EQ(ZipWriterAddFile(writer, "job.bin", folder / "job.bin"), kZipOk);
  ASSERT_EQ(ZipWriterClose(writer), kZipOk);
  fs::remove(folder / "job.bin");

  fs::path path = folder / "out" / "jobbin.zip";
  ZipHandle* reader = ZipReaderOpen(path);
  ZipEntryInfo info;
  ASSERT_EQ(ZipReaderGetEntry(reader, 0, info), kZipOk);
  EXPECT_EQ(info.attributes, kEntryArchive);
  EXPECT_EQ(info.writeTime->seconds, kOddSecond);
  EXPECT_EQ(info.accessTime->seconds, kOddSecond - 60);
  ZipReaderClose(reader);

  ASSERT_TRUE(ExtractArchiveInput(path));
  EXPECT_EQ(path, folder / "out" / "job.bin");
  struct stat extracted {};
  ASSERT_EQ(::stat(path.c_str(), &extracted), 0);
  EXPECT_EQ(extracted.st_mtim.tv_sec, kOddSecond);
  EXPECT_EQ(extracted.st_atim.tv_sec, kOddSecond - 60);
  EXPECT_EQ(testing::ReadFile(path), SampleContent(30000));
}

// A write that falls short anywhere is reported with its errno, and whatever
// was recorded before it still ends up in a readable archive.
struct WriteFaultCase {
  const char* label;
  std::uint64_t failAfter;  // bytes of the archive that reach the disk
  ZipResult addResult;
  ZipResult closeResult;
};

class ZipWriterWriteFaults : public ::testing::TestWithParam<WriteFaultCase> {
 protected:
  void TearDown() override { platform::ClearWriteFaults(); }
};

TEST_P(ZipWriterWriteFaults, ReportTheFailedWrite) {
  const WriteFaultCase& test = GetParam();
  TempFolder folder;
  testing::WriteFile(folder / "job.bin", SampleContent(70000));
  platform::FailWritesAfter("jobbin.zip", test.failAfter, ENOSPC);
  ZipHandle* handle = ZipWriterCreate(folder / "jobbin.zip");
  ASSERT_NE(handle, nullptr);
  int addError = 0;
  int closeError = 0;
  EXPECT_EQ(ZipWriterAddFile(handle, "job.bin", folder / "job.bin", &addError), test.addResult);
  EXPECT_EQ(ZipWriterClose(handle, &closeError), test.closeResult);
  EXPECT_EQ(addError, test.addResult == kZipWriteFailed ? ENOSPC : 0);
  EXPECT_EQ(closeError, test.closeResult == kZipWriteFailed ? ENOSPC : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZipWriterWriteFaults,
    ::testing::Values(WriteFaultCase{"InTheLocalHeader", 20, kZipWriteFailed, kZipWriteFailed},
                      WriteFaultCase{"InTheData", 1000, kZipWriteFailed, kZipWriteFailed}),
    [](const auto& info) { return std::string(info.param.label); });

// Where the writes of the central directory and of the end record fall short:
// counted from the finished archive, so the cases hold for any deflate output.
TEST(ZipWriterWriteFaults, ShortCentralRecordOrEndRecordFailsTheClose) {
  TempFolder folder;
  testing::WriteFile(folder / "job.bin", SampleContent(70000));
  ZipHandle* handle = ZipWriterCreate(folder / "whole.zip");
  ASSERT_EQ(ZipWriterAddFile(handle, "job.bin", folder / "job.bin"), kZipOk);
  ASSERT_EQ(ZipWriterClose(handle), kZipOk);
  const std::uint64_t size = fs::file_size(folder / "whole.zip");
  // The header rewrite counts its 30 bytes again.
  for (const std::uint64_t cut : {size + 30 - 22 - 62 + 10, size + 30 - 10}) {
    SCOPED_TRACE(cut);
    platform::FailWritesAfter("jobbin.zip", cut, ENOSPC);
    handle = ZipWriterCreate(folder / "jobbin.zip");
    EXPECT_EQ(ZipWriterAddFile(handle, "job.bin", folder / "job.bin"), kZipOk);
    int error = 0;
    EXPECT_EQ(ZipWriterClose(handle, &error), kZipWriteFailed);
    EXPECT_EQ(error, ENOSPC);
    platform::ClearWriteFaults();
    EXPECT_EQ(ZipReaderOpen(folder / "jobbin.zip"), nullptr) << "no end record, no archive";
  }
}

TEST(ZipWriterWriteFaults, DeadBytesOfAFailedAddAreSkippedByLaterOffsets) {
  TempFolder folder;
  testing::WriteFile(folder / "big.bin", SampleContent(70000));
  testing::WriteFile(folder / "small.bin", SampleContent(300));
  platform::FailWritesAfter("out.zip", 3000, ENOSPC);
  ZipHandle* handle = ZipWriterCreate(folder / "out.zip");
  EXPECT_EQ(ZipWriterAddFile(handle, "big.bin", folder / "big.bin"), kZipWriteFailed);
  platform::ClearWriteFaults();  // the disk has room again
  EXPECT_EQ(ZipWriterAddFile(handle, "small.bin", folder / "small.bin"), kZipOk);
  EXPECT_EQ(ZipWriterClose(handle), kZipOk);
  const auto listing = testing::PythonListing(folder / "out.zip");
  ASSERT_EQ(listing.size(), 1u);
  EXPECT_NE(listing[0].find(" 3000"), std::string::npos) << listing[0];
  // Readers that go by the central directory never see the dead bytes; 7-Zip,
  // which also scans the local headers, reports them, as it should.
  std::string output;
  EXPECT_EQ(testing::RunCommand("unzip -t " + testing::Quoted(folder / "out.zip"), &output), 0) << output;
  EXPECT_EQ(testing::RunCommand("python3 -m zipfile -t " + testing::Quoted(folder / "out.zip"), &output), 0);
  EXPECT_EQ(output.find("corrupted"), std::string::npos) << output;
}

}  // namespace
}  // namespace tesk::zip
