#include "tests/core/hostile_cases.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/core/job_builder.h"
#include "tests/zip/hand_built_archive.h"

namespace tesk::testing {
namespace {

namespace fs = std::filesystem;

const std::string kLoadFailed = "数据文件加载失败!";
const std::string kInvalid = "数据文件无效!";
const std::string kPlainBinaryFailed = "保存Plain Binary文件失败!";
const std::string kOutOfMemory = "申请内存失败!";

Bytes SmallJob() { return FixedLayoutJob(3, 2, 2); }

HandEntry Deflated(const std::string& name, const Bytes& content) {
  HandEntry entry;
  entry.name = name;
  entry.content = content;
  entry.method = 8;
  return entry;
}

// A raw job, its capture text, and an archive of either: each built the same
// way every time, so a check can build it again to compare.
Bytes ArchiveOf(const std::string& entryName, const Bytes& content) {
  return BuildArchive({Deflated(entryName, content)}).bytes;
}

// ".dat" -> "Dat", for row names.
std::string CapitalisedExtension(const std::string& suffix) {
  std::string name = suffix.substr(1);
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

bool IsFifo(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

fs::path MakeFifo(const fs::path& path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path.string());
  return path;
}

// A one-line print job transfer in a capture whose header shows a Date column
// after the Data column: the 16 bytes ESC @, five fillers and one band of one
// byte, then the date 2024-05-06 and the offset 1.1.0.
std::string CaptureWithDateColumn() {
  const std::string data = "1b 40 aa aa  aa aa aa 1d  76 30 00 01  00 01 00 ff";
  return "Bus Hound 6.01 capture.\r\n"
         "\r\n"
         "Device  Phase  Data                                                Date        Cmd.Phase.Ofs(rep)\r\n"
         "------  -----  --------------------------------------------------  ----------  ------------------\r\n"
         "  27.2  OUT    " +
         data +
         "  2024-05-06  1.1.0        \r\n"
         "  27.2  IN     00                                                  2024-05-06  2.1.0        \r\n";
}

HostileCase ArchiveNamedLikeOutput(const std::string& suffix, const std::string& cliKeep, bool keepAll) {
  HostileCase row;
  row.name = "ArchiveNamedLikeIts" + CapitalisedExtension(suffix) + (keepAll ? "KeepingAll" : "KeepingNone");
  row.cliOptions = "--keep " + cliKeep;
  row.options.keepPlainBinary = row.options.keepPlainBinaryZip = row.options.keepPureData =
      row.options.keepBitmap = row.options.keepPng = keepAll;
  row.prepare = [suffix](const fs::path& folder) {
    const fs::path archive = folder / ("job" + suffix);
    WriteFile(archive, ArchiveOf("job.prn", SmallJob()));
    return archive;
  };
  row.check = [suffix](const fs::path& folder) {
    EXPECT_EQ(ReadFile(folder / ("job" + suffix)), ArchiveOf("job.prn", SmallJob()));
  };
  return row;
}

std::vector<HostileCase> BuildCases() {
  std::vector<HostileCase> rows;
  for (const std::string suffix : {".dat", ".bmp", ".png"}) {
    rows.push_back(ArchiveNamedLikeOutput(suffix, "all", true));
    rows.push_back(ArchiveNamedLikeOutput(suffix, "none", false));
  }

  {
    // A capture in an archive named like the .bin it decodes to: the .bin
    // cannot be created, as for a capture input of that name.
    HostileCase row;
    row.name = "CaptureArchiveNamedLikeItsBin";
    row.prepare = [](const fs::path& folder) {
      WriteFile(folder / "log.bin", ArchiveOf("log.txt", BytesOf(CaptureWithDateColumn())));
      return folder / "log.bin";
    };
    row.messages = {kPlainBinaryFailed};
    row.check = [](const fs::path& folder) {
      EXPECT_EQ(ReadFile(folder / "log.bin"), ArchiveOf("log.txt", BytesOf(CaptureWithDateColumn())));
    };
    rows.push_back(row);
  }
  {
    // An earlier run's archive of the same job, dropped again, is still
    // replaced by the new archive of that entry.
    HostileCase row;
    row.name = "EarlierRunsArchiveIsReplaced";
    row.prepare = [](const fs::path& folder) {
      WriteFile(folder / "jobbin.zip", ArchiveOf("job.bin", SmallJob()));
      return folder / "jobbin.zip";
    };
    row.check = [](const fs::path& folder) {
      EXPECT_NE(ReadFile(folder / "jobbin.zip"), ArchiveOf("job.bin", SmallJob()));
      std::string listing;
      EXPECT_EQ(RunCommand("unzip -Z1 '" + (folder / "jobbin.zip").string() + "'", &listing), 0);
      EXPECT_EQ(listing, "job.bin\n");
    };
    rows.push_back(row);
  }
  {
    // The entry's CRC-32 is wrong: the file of its name beside the archive
    // stays as it was.
    HostileCase row;
    row.name = "EntryFailingItsCrcLeavesTheFileBeside";
    row.prepare = [](const fs::path& folder) {
      WriteFile(folder / "job.prn", BytesOf("the user's own file"));
      HandArchive archive = BuildArchive({Deflated("job.prn", SmallJob())});
      archive.Put32(archive.layout.localHeaders[0] + 14, 0x12345678);
      archive.Put32(archive.layout.centralRecords[0] + 16, 0x12345678);
      WriteFile(folder / "pack.zip", archive.bytes);
      return folder / "pack.zip";
    };
    row.messages = {kInvalid};
    row.check = [](const fs::path& folder) {
      EXPECT_EQ(ReadFile(folder / "job.prn"), BytesOf("the user's own file"));
      EXPECT_FALSE(fs::exists(folder / "job.bmp"));
    };
    rows.push_back(row);
  }
  {
    // Three entries that declare 1 GiB each: refused before anything is written.
    HostileCase row;
    row.name = "ArchiveBeyondItsBudgetWritesNothing";
    row.prepare = [](const fs::path& folder) {
      HandArchive archive = BuildArchive(
          {Deflated("a.prn", SmallJob()), Deflated("b.prn", SmallJob()), Deflated("c.prn", SmallJob())});
      for (std::size_t index = 0; index < 3; ++index) archive.SetUncompressedSize(index, 1u << 30);
      WriteFile(folder / "bomb.zip", archive.bytes);
      return folder / "bomb.zip";
    };
    row.messages = {kInvalid};
    row.check = [](const fs::path& folder) {
      EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    };
    rows.push_back(row);
  }
  {
    HostileCase row;
    row.name = "FifoAsInput";
    row.prepare = [](const fs::path& folder) { return MakeFifo(folder / "f.prn"); };
    row.messages = {kLoadFailed};
    row.check = [](const fs::path& folder) {
      EXPECT_TRUE(IsFifo(folder / "f.prn"));
      EXPECT_FALSE(fs::exists(folder / "fbin.zip"));
    };
    rows.push_back(row);
  }
  for (const std::string output : {"job.png", "job.bmp", "job.dat", "jobbin.zip"}) {
    // An output's place taken by a FIFO: that stage counts it as a file that
    // cannot be created, and the others go on.
    HostileCase row;
    row.name = "FifoInPlaceOf" + CapitalisedExtension(output.substr(output.size() - 4));
    row.prepare = [output](const fs::path& folder) {
      WriteFile(folder / "job.prn", SmallJob());
      MakeFifo(folder / output);
      return folder / "job.prn";
    };
    row.check = [output](const fs::path& folder) {
      EXPECT_TRUE(IsFifo(folder / output));
      for (const std::string other : {"job.png", "job.bmp", "jobbin.zip"})
        if (other != output) {
          EXPECT_TRUE(fs::is_regular_file(folder / other)) << other;
        }
    };
    rows.push_back(row);
  }
  {
    HostileCase row;
    row.name = "FifoAsExtractionTarget";
    row.prepare = [](const fs::path& folder) {
      MakeFifo(folder / "job.prn");
      WriteFile(folder / "pack.zip", ArchiveOf("job.prn", SmallJob()));
      return folder / "pack.zip";
    };
    row.messages = {kInvalid};
    row.check = [](const fs::path& folder) { EXPECT_TRUE(IsFifo(folder / "job.prn")); };
    rows.push_back(row);
  }
  for (const bool commands : {false, true}) {
    // 65535 x 4096 announced, ten data bytes there: no 256 MiB picture.
    HostileCase row;
    row.name = commands ? "TwentyFiveByteJobByCommands" : "TwentyFiveByteJob";
    if (commands) {
      row.cliOptions = "--layout commands";
      row.options.layout = core::BandLayoutChoice::Commands;
    }
    row.prepare = [](const fs::path& folder) {
      Bytes job = HexBytes("1b 40 00 00 00 00 00 1d 76 30 00 ff ff 00 10");
      job.insert(job.end(), 10, 0xFF);
      WriteFile(folder / "tiny.prn", job);
      return folder / "tiny.prn";
    };
    row.messages = {kInvalid};
    row.check = [](const fs::path& folder) {
      EXPECT_FALSE(fs::exists(folder / "tiny.bmp"));
      EXPECT_FALSE(fs::exists(folder / "tiny.png"));
    };
    rows.push_back(row);
  }
  {
    // 48 MB of empty GS v 0 commands, each one a band to list.
    HostileCase row;
    row.name = "EmptyBandsInLimitedMemory";
    row.cliOptions = "--layout commands";
    row.options.layout = core::BandLayoutChoice::Commands;
    row.memoryLimited = true;
    row.prepare = [](const fs::path& folder) {
      Bytes job = {0x1B, 0x40};
      const Bytes empty = HexBytes("1d 76 30 00 00 00 00 00");
      job.reserve(2 + 6000000 * empty.size());
      for (int index = 0; index < 6000000; ++index) job.insert(job.end(), empty.begin(), empty.end());
      WriteFile(folder / "empty.prn", job);
      return folder / "empty.prn";
    };
    row.messages = {kLoadFailed, kOutOfMemory};
    row.check = [](const fs::path& folder) { EXPECT_FALSE(fs::exists(folder / "empty.bmp")); };
    rows.push_back(row);
  }
  {
    HostileCase row;
    row.name = "OneLineTransferBeforeADateColumn";
    row.prepare = [](const fs::path& folder) {
      WriteFile(folder / "log.txt", CaptureWithDateColumn());
      return folder / "log.txt";
    };
    row.check = [](const fs::path& folder) {
      EXPECT_EQ(ReadFile(folder / "log.bin"), HexBytes("1b 40 aa aa aa aa aa 1d 76 30 00 01 00 01 00 ff"));
    };
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

const std::vector<HostileCase>& HostileCases() {
  static const std::vector<HostileCase> rows = BuildCases();
  return rows;
}

}  // namespace tesk::testing
