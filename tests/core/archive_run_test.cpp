// Runs on ZIP archive input, and the archive every run writes.

#include <gtest/gtest.h>

#include <cerrno>

#include "core/conversion_run.h"
#include "platform/write_faults.h"
#include "tests/core/job_builder.h"
#include "tests/core/run_fixture.h"
#include "tests/zip/archive_tools.h"
#include "zip/zip_writer.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::FixedLayoutJob;
using testing::TempFolder;
namespace fs = std::filesystem;

class ArchiveRun : public RunFixture {
 protected:
  // An archive made by our writer from files that already lie in the folder.
  void Pack(const fs::path& archive, const std::vector<std::string>& names) {
    zip::ScopedZipWriter writer(zip::ZipWriterCreate(archive));
    ASSERT_NE(writer, nullptr);
    for (const std::string& name : names)
      ASSERT_EQ(zip::ZipWriterAddFile(writer.get(), name, folder / name), zip::kZipOk) << name;
    ASSERT_EQ(zip::ZipWriterClose(writer.release()), zip::kZipOk);
  }

  void Shell(const std::string& command) {
    std::string output;
    ASSERT_EQ(testing::RunCommand("cd " + testing::Quoted(folder.path()) + " && " + command, &output), 0)
        << output;
  }
};

TEST_F(ArchiveRun, RawInputIsPackedIntoItsBinZip) {
  const fs::path input = folder / "job.prn";
  const Bytes job = FixedLayoutJob(3, 2, 2);
  testing::WriteFile(input, job);
  ASSERT_FALSE(Run(input).has_value());
  const fs::path archive = folder / "jobbin.zip";
  ASSERT_TRUE(fs::exists(archive));
  EXPECT_EQ(figures.zipFileSize, fs::file_size(archive));
  // One entry of 7 name bytes: 124 + 2 x 7 + the deflated data.
  EXPECT_GT(*figures.zipFileSize, 124u + 14);
  testing::ExpectEveryToolAccepts(archive, {{"job.prn", job}});
  const auto listing = testing::PythonListing(archive);
  ASSERT_EQ(listing.size(), 1u);
  EXPECT_EQ(listing[0].substr(0, 16), "job.prn 0x2 8 0x");
}

TEST_F(ArchiveRun, ArchiveThatCannotBeCreatedIsSkippedSilently) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(2, 2, 1));
  fs::create_directory(folder / "jobbin.zip");
  ASSERT_FALSE(Run(input).has_value());
  EXPECT_FALSE(figures.zipFileSize.has_value());
  EXPECT_TRUE(figures.bmpFileSize.has_value());
}

TEST_F(ArchiveRun, ShortWriteOfTheArchiveEndsTheRunNamingIt) {
  const fs::path input = folder / "job.prn";
  testing::WriteFile(input, FixedLayoutJob(2, 2, 1));
  platform::FailWritesAfter("jobbin.zip", 30, ENOSPC);
  const auto message = Run(input);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->code, RunMessageCode::WriteFailed);
  EXPECT_NE(message->text.find((folder / "jobbin.zip").string()), std::string::npos) << message->text;
  EXPECT_NE(message->text.find("No space left on device"), std::string::npos);
  EXPECT_FALSE(figures.zipFileSize.has_value());
  EXPECT_FALSE(figures.mode.has_value());
}

TEST_F(ArchiveRun, ArchiveInputIsConvertedAsItsLastEntry) {
  const Bytes job = FixedLayoutJob(3, 2, 2);
  testing::WriteFile(folder / "job.prn", job);
  Pack(folder / "pack.zip", {"job.prn"});
  fs::remove(folder / "job.prn");
  const Bytes archive = testing::ReadFile(folder / "pack.zip");

  ASSERT_FALSE(Run(folder / "pack.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "job.prn");
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
  EXPECT_EQ(figures.widthBytes, 3);
  EXPECT_EQ(figures.bandCount, 2);
  EXPECT_EQ(testing::ReadFile(folder / "job.prn"), job);
  EXPECT_TRUE(fs::exists(folder / "jobbin.zip"));
  EXPECT_TRUE(fs::exists(folder / "job.bmp"));
  EXPECT_FALSE(fs::exists(folder / "job.dat"));
  EXPECT_FALSE(fs::exists(folder / "packbin.zip"));
  EXPECT_EQ(testing::ReadFile(folder / "pack.zip"), archive);
}

TEST_F(ArchiveRun, EarlierRunsArchiveIsReplacedByANewOne) {
  // Made by Python with the entry stored, so the new archive tells itself apart.
  const Bytes job = FixedLayoutJob(2, 3, 1);
  testing::WriteFile(folder / "job.bin", job);
  Shell(
      "python3 -c \"import zipfile; z = zipfile.ZipFile('jobbin.zip', 'w'); z.write('job.bin'); z.close()\"");
  fs::remove(folder / "job.bin");

  ASSERT_FALSE(Run(folder / "jobbin.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "job.bin");
  EXPECT_EQ(figures.bandHeight, 3);
  EXPECT_EQ(figures.zipFileSize, fs::file_size(folder / "jobbin.zip"));
  const auto listing = testing::PythonListing(folder / "jobbin.zip");
  ASSERT_EQ(listing.size(), 1u);
  EXPECT_EQ(listing[0].substr(0, 16), "job.bin 0x2 8 0x") << "our deflated entry, not Python's stored one";
  testing::ExpectEveryToolAccepts(folder / "jobbin.zip", {{"job.bin", job}});
}

TEST_F(ArchiveRun, NestedArchiveIsFollowed) {
  const Bytes job = FixedLayoutJob(4, 1, 3);
  testing::WriteFile(folder / "job.prn", job);
  Shell("zip -q inner.zip job.prn && zip -q -0 outer.zip inner.zip && rm job.prn inner.zip");
  ASSERT_FALSE(Run(folder / "outer.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "job.prn");
  EXPECT_EQ(figures.bandCount, 3);
  EXPECT_TRUE(fs::exists(folder / "inner.zip"));
  EXPECT_TRUE(fs::exists(folder / "job.bmp"));
}

// Each archive holds the one before it; the innermost holds the job.
TEST_F(ArchiveRun, NestingIsFollowedSixteenArchivesDeep) {
  for (const int depth : {16, 17}) {
    SCOPED_TRACE(depth);
    TempFolder nest;
    testing::WriteFile(nest / "job.prn", FixedLayoutJob(2, 1, 1));
    std::string inner = "job.prn";
    for (int level = 1; level <= depth; ++level) {
      const std::string outer = "level" + std::to_string(level) + ".zip";
      zip::ScopedZipWriter writer(zip::ZipWriterCreate(nest / outer));
      ASSERT_EQ(zip::ZipWriterAddFile(writer.get(), inner, nest / inner), zip::kZipOk);
      ASSERT_EQ(zip::ZipWriterClose(writer.release()), zip::kZipOk);
      fs::remove(nest / inner);
      inner = outer;
    }
    const auto message = Run(nest / inner);
    if (depth == 16) {
      EXPECT_FALSE(message.has_value());
      EXPECT_EQ(figures.loadedPath, nest / "job.prn");
    } else {
      ASSERT_TRUE(message.has_value());
      EXPECT_EQ(message->text, "数据文件无效!");
    }
  }
}

TEST_F(ArchiveRun, LastEntryIsTheOneConverted) {
  testing::WriteFile(folder / "a.bin", FixedLayoutJob(1, 1, 1));
  testing::WriteFile(folder / "b.bin", FixedLayoutJob(5, 2, 1));
  Pack(folder / "two.zip", {"a.bin", "b.bin"});
  fs::remove(folder / "a.bin");
  fs::remove(folder / "b.bin");
  ASSERT_FALSE(Run(folder / "two.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "b.bin");
  EXPECT_EQ(figures.widthBytes, 5);
  EXPECT_EQ(testing::ReadFile(folder / "a.bin"), FixedLayoutJob(1, 1, 1));
  EXPECT_TRUE(fs::exists(folder / "bbin.zip"));
  EXPECT_FALSE(fs::exists(folder / "abin.zip"));
}

// As macOS's "Compress" packs a file: the job, then its AppleDouble metadata
// under __MACOSX/, deflated with data descriptors.
TEST_F(ArchiveRun, MacMetadataAfterTheJobIsExtractedButNotConverted) {
  const Bytes job = FixedLayoutJob(4, 3, 2);
  testing::WriteFile(folder / "job.prn", job);
  Shell(
      "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED); "
      "z.write('job.prn'); z.writestr('__MACOSX/', b''); "
      "z.writestr('__MACOSX/._job.prn', b'\\x00\\x05\\x16\\x07\\x00\\x02\\x00\\x00Mac OS X        ' + bytes(60)); "
      "z.close()\" | cat > job.zip && rm job.prn && "
      "python3 -c \"import zipfile; n = zipfile.ZipFile('job.zip').namelist(); "
      "assert n == ['job.prn', '__MACOSX/', '__MACOSX/._job.prn'], n\"");

  ASSERT_FALSE(Run(folder / "job.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "job.prn");
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
  EXPECT_EQ(figures.widthBytes, 4);
  EXPECT_EQ(figures.bandHeight, 3);
  EXPECT_EQ(figures.bandCount, 2);
  EXPECT_EQ(testing::ReadFile(folder / "job.prn"), job);
  EXPECT_TRUE(fs::exists(folder / "__MACOSX" / "._job.prn"));
  EXPECT_TRUE(fs::exists(folder / "jobbin.zip"));
  EXPECT_TRUE(fs::exists(folder / "job.bmp"));
  EXPECT_FALSE(fs::exists(folder / "__MACOSX" / "._jobbin.zip"));
  EXPECT_FALSE(fs::exists(folder / "__MACOSX" / "._job.bmp"));
}

// Info-ZIP packing a job from its standard input writes a ZIP64 end record
// and keeps the entry's sizes in ZIP64 fields.
TEST_F(ArchiveRun, Zip64ArchiveIsConvertedAsItsEntry) {
  const Bytes job = FixedLayoutJob(3, 2, 3);
  testing::WriteFile(folder / "job.prn", job);
  Shell("cat job.prn | zip -q -fz pack.zip - && rm job.prn");
  ASSERT_FALSE(Run(folder / "pack.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "-");
  EXPECT_EQ(figures.dataLength, static_cast<std::int64_t>(job.size()));
  EXPECT_EQ(figures.widthBytes, 3);
  EXPECT_EQ(figures.bandCount, 3);
  EXPECT_EQ(testing::ReadFile(folder / "-"), job);
}

TEST_F(ArchiveRun, LastDirectoryEntryNamesAFolderThatCannotBeLoaded) {
  testing::WriteFile(folder / "job.prn", FixedLayoutJob(1, 1, 1));
  fs::create_directory(folder / "sub");
  Shell("zip -q pack.zip job.prn sub && rm -r job.prn sub");
  const auto message = Run(folder / "pack.zip");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "数据文件加载失败!");
  EXPECT_TRUE(fs::is_directory(folder / "sub"));
  EXPECT_TRUE(fs::exists(folder / "job.prn"));
}

TEST_F(ArchiveRun, ArchiveWithoutAnyUsableEntryIsInvalid) {
  testing::WriteFile(folder / "empty.zip",
                     testing::HexBytes("504b0506 00000000 00000000 00000000 00000000 0000"));
  auto message = Run(folder / "empty.zip");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "数据文件无效!");

  // It begins like an archive, but its one entry would land outside the folder.
  testing::WriteFile(folder / "job.prn", FixedLayoutJob(1, 1, 1));
  Shell(
      "zip -q evil.zip job.prn && python3 -c \"d = open('evil.zip', 'rb').read(); "
      "open('evil.zip', 'wb').write(d.replace(b'job.prn', b'../j.pr'))\" && rm job.prn");
  message = Run(folder / "evil.zip");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "数据文件无效!");
  EXPECT_FALSE(fs::exists(folder.path().parent_path() / "j.pr"));
}

TEST_F(ArchiveRun, EntryNamedLikeTheArchiveIsSkipped) {
  const Bytes job = FixedLayoutJob(2, 2, 1);
  testing::WriteFile(folder / "job.prn", job);
  testing::WriteFile(folder / "pack.zip", job);
  Pack(folder / "packed.zip", {"job.prn", "pack.zip"});
  fs::rename(folder / "packed.zip", folder / "pack.zip");
  fs::remove(folder / "job.prn");
  const Bytes archive = testing::ReadFile(folder / "pack.zip");
  ASSERT_FALSE(Run(folder / "pack.zip").has_value());
  EXPECT_EQ(figures.loadedPath, folder / "job.prn");
  EXPECT_EQ(testing::ReadFile(folder / "pack.zip"), archive);
}

}  // namespace
}  // namespace tesk::core
