#include "zip/zip_writer.h"

#include <zlib.h>

#include <array>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/file_times.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "zip/dos_time.h"
#include "zip/extended_timestamp.h"
#include "zip/store_rule.h"
#include "zip/zip_records.h"

namespace tesk::zip {
namespace {

// Made by: high byte 11, low byte 23 (format version 2.3).
constexpr std::uint16_t kVersionMadeBy = 0x0B17;
constexpr std::uint16_t kVersionNeeded = 20;
constexpr int kCompressionLevel = 8;
constexpr int kRawDeflateWindowBits = -15;
constexpr int kDeflateMemoryLevel = 8;

// Without a ZIP64 form every size and offset is 32 bits and the count 16.
constexpr std::size_t kLongestEntryName = 259;
constexpr std::size_t kMostEntries = 0xFFFF;
constexpr std::uint64_t kLargestField = 0xFFFFFFFF;

struct ZipEntryRecord {
  CentralRecord central;
  std::string name;
  std::array<std::uint8_t, kCentralTimestampFieldSize> centralExtra{};
};

class ZipWriter final : public ZipComponent {
 public:
  static constexpr std::int32_t kKind = kZipWriterKind;

  explicit ZipWriter(platform::OutputFile file) : archive(std::move(file)) {}

  // Appends at the write position. After a failed write the position is taken
  // from the file's real length, so what did reach the disk is counted and the
  // offsets of later entries and of the central directory stay right.
  bool Append(std::span<const std::uint8_t> bytes, int* systemError) {
    if (archive.Write(bytes)) {
      writePosition += bytes.size();
      return true;
    }
    if (systemError) *systemError = archive.Error();
    if (const auto length = archive.Length()) {
      writePosition = *length;
      archive.Seek(writePosition);
    }
    return false;
  }

  platform::OutputFile archive;
  std::uint64_t writePosition = 0;
  bool finished = false;
  std::vector<ZipEntryRecord> entries;
};

ZipWriter* WriterOf(ZipHandle* handle, ZipResult& failure) {
  return ZipHandle::ComponentOf<ZipWriter>(handle, failure);
}

void ReportError(int* systemError, int error) {
  if (systemError) *systemError = error;
}

std::uint32_t ExternalAttributes(const platform::FileStatus& status) {
  std::uint32_t attributes = kEntryArchive;
  if (!status.ownerCanWrite) attributes |= kEntryReadOnly;
  if (status.isDirectory) attributes |= kEntryDirectory;
  attributes |= status.isDirectory ? kUnixDirectory : kUnixRegularFile;
  attributes |= kUnixOwnerRead;
  if (!(attributes & kEntryReadOnly)) attributes |= kUnixOwnerWrite;
  if (status.ownerCanExecute) attributes |= kUnixOwnerExecute;
  return attributes;
}

bool HasNonAsciiByte(std::string_view name) {
  for (const char character : name)
    if (static_cast<unsigned char>(character) > 0x7F) return true;
  return false;
}

struct EntryTotals {
  std::uint32_t crc32 = 0;
  std::uint64_t bytesRead = 0;
  std::uint64_t bytesWritten = 0;
};

// Reads the next block of the source into `block`, keeping the CRC-32 and the
// count. Returns the count read (0 at the end), or -1 on failure.
std::int64_t ReadSourceBlock(platform::InputFile& source, std::span<std::uint8_t> block, EntryTotals& totals,
                             int* systemError) {
  const std::int64_t count = source.Read(block);
  if (count < 0) {
    ReportError(systemError, source.Error());
    return -1;
  }
  totals.bytesRead += static_cast<std::uint64_t>(count);
  if (totals.bytesRead > kLargestField) {
    ReportError(systemError, EFBIG);  // the source grew beyond what a size field holds
    return -1;
  }
  totals.crc32 = static_cast<std::uint32_t>(::crc32(totals.crc32, block.data(), static_cast<uInt>(count)));
  return count;
}

bool CopyStored(platform::InputFile& source, ZipWriter& writer, EntryTotals& totals, int* systemError) {
  std::vector<std::uint8_t> block(kTransferBlockSize);
  for (;;) {
    const std::int64_t count = ReadSourceBlock(source, block, totals, systemError);
    if (count < 0) return false;
    if (count == 0) return true;
    const std::span<const std::uint8_t> data(block.data(), static_cast<std::size_t>(count));
    if (!writer.Append(data, systemError)) return false;
    totals.bytesWritten += data.size();
  }
}

bool CopyDeflated(platform::InputFile& source, ZipWriter& writer, EntryTotals& totals, int* systemError) {
  z_stream stream{};
  if (::deflateInit2(&stream, kCompressionLevel, Z_DEFLATED, kRawDeflateWindowBits, kDeflateMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
    ReportError(systemError, ENOMEM);
    return false;
  }
  std::vector<std::uint8_t> input(kTransferBlockSize);
  std::vector<std::uint8_t> output(kTransferBlockSize);
  bool ok = true;
  int flush = Z_NO_FLUSH;
  while (ok && flush != Z_FINISH) {
    const std::int64_t count = ReadSourceBlock(source, input, totals, systemError);
    if (count < 0) {
      ok = false;
      break;
    }
    flush = count == 0 ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(count);
    do {
      stream.next_out = output.data();
      stream.avail_out = static_cast<uInt>(output.size());
      if (::deflate(&stream, flush) == Z_STREAM_ERROR) {
        ReportError(systemError, EIO);
        ok = false;
        break;
      }
      const std::size_t produced = output.size() - stream.avail_out;
      if (produced > 0 && !writer.Append({output.data(), produced}, systemError)) {
        ok = false;
        break;
      }
      totals.bytesWritten += produced;
    } while (stream.avail_out == 0);
  }
  ::deflateEnd(&stream);
  return ok;
}

std::vector<std::uint8_t> LocalHeaderBytes(const LocalHeader& header, std::string_view name,
                                           std::span<const std::uint8_t> extra) {
  std::vector<std::uint8_t> bytes(kLocalHeaderSize);
  EncodeLocalHeader(header, std::span<std::uint8_t, kLocalHeaderSize>(bytes.data(), kLocalHeaderSize));
  bytes.insert(bytes.end(), name.begin(), name.end());
  bytes.insert(bytes.end(), extra.begin(), extra.end());
  return bytes;
}

// Puts the entry's final values into its local header, in place, and returns
// to the end of the archive: no data descriptor and no second pass.
bool RewriteLocalHeader(ZipWriter& writer, std::uint64_t offset, const LocalHeader& header,
                        int* systemError) {
  std::array<std::uint8_t, kLocalHeaderSize> bytes{};
  EncodeLocalHeader(header, bytes);
  const bool written = writer.archive.Seek(offset) && writer.archive.Write(bytes);
  const bool returned = writer.archive.Seek(writer.writePosition);
  if (!written || !returned) {
    ReportError(systemError, writer.archive.Error());
    return false;
  }
  return true;
}

// Refusals that need no file: a missing name or source, a full archive.
ZipResult CheckEntryArguments(const ZipWriter& writer, const std::string& entryName,
                              const std::filesystem::path& sourcePath) {
  if (entryName.empty()) return kZipBadArguments;   // an empty entry name
  if (sourcePath.empty()) return kZipBadArguments;  // no source path
  if (writer.finished || writer.entries.size() >= kMostEntries)
    return kZipBadArguments;  // the end record counts no more entries
  return kZipOk;
}

// Entry names are UTF-8 here, the file names' own encoding, with "/" between folders.
std::string ArchiveEntryName(const std::string& entryName) {
  std::string name = entryName;
  for (char& character : name)
    if (character == '\\') character = '/';
  return name;
}

// Opens the file an entry is made from and reads what its records tell of it.
ZipResult OpenEntrySource(const ZipWriter& writer, const std::filesystem::path& sourcePath,
                          platform::InputFile& source, platform::FileStatus& status) {
  source = platform::InputFile::Open(sourcePath);
  if (!source.IsOpen()) return kZipCannotOpen;  // the source cannot be opened
  // Reading the archive while appending to it would never reach its end.
  if (platform::IsSameFile(source.Descriptor(), writer.archive.Descriptor()))
    return kZipCannotOpen;  // the source is the archive being written
  const auto found = platform::StatusOf(source.Descriptor());
  if (!found) return kZipCannotOpen;                         // the source's information cannot be read
  if (found->size > kLargestField) return kZipBadArguments;  // no size field holds it
  status = *found;
  return kZipOk;
}

// The local header written ahead of the data, before its CRC-32 and
// compressed size are known.
LocalHeader ProvisionalLocalHeader(const std::string& name, const platform::FileStatus& status, bool stored,
                                   std::uint16_t nameFlag, std::size_t extraLength) {
  const DosDateTime modified = DosDateTimeFromUnix(status.lastWrite.seconds);
  LocalHeader header;
  header.versionNeeded = kVersionNeeded;
  header.flags = static_cast<std::uint16_t>(kFlagDataDescriptor | nameFlag);
  header.method = stored ? kMethodStored : kMethodDeflated;
  header.dosTime = modified.time;
  header.dosDate = modified.date;
  header.crc32 = 0;
  header.compressedSize = stored ? static_cast<std::uint32_t>(status.size) : 0;
  header.uncompressedSize = static_cast<std::uint32_t>(status.size);
  header.nameLength = static_cast<std::uint16_t>(name.size());
  header.extraLength = static_cast<std::uint16_t>(extraLength);
  return header;
}

// Appends the provisional local header at the write position.
ZipResult StartEntry(ZipWriter& writer, const LocalHeader& header, std::string_view name,
                     std::span<const std::uint8_t> extra, int* systemError) {
  if (writer.writePosition > kLargestField) {
    ReportError(systemError, EFBIG);
    return kZipWriteFailed;  // the archive has outgrown its 32-bit offsets
  }
  if (!writer.Append(LocalHeaderBytes(header, name, extra), systemError))
    return kZipWriteFailed;  // the first local header fell short
  return kZipOk;
}

// Copies the source behind its local header, stored or deflated.
ZipResult CopyEntryData(ZipWriter& writer, platform::InputFile& source, bool stored, EntryTotals& totals,
                        int* systemError) {
  const bool copied = stored ? CopyStored(source, writer, totals, systemError)
                             : CopyDeflated(source, writer, totals, systemError);
  source.Close();
  if (!copied) return kZipWriteFailed;  // the data could not be compressed or written
  if (writer.writePosition > kLargestField) {
    ReportError(systemError, EFBIG);
    return kZipWriteFailed;  // the entry's end lies beyond a 32-bit offset
  }
  return kZipOk;
}

// Gives the local header the values the copy found and writes it over the provisional one.
ZipResult FinishLocalHeader(ZipWriter& writer, std::uint64_t offset, LocalHeader& header,
                            const EntryTotals& totals, int* systemError) {
  const bool stored = header.method == kMethodStored;
  const auto nameFlag = static_cast<std::uint16_t>(header.flags & kFlagUtf8Name);
  header.flags = static_cast<std::uint16_t>((stored ? 0 : kFlagMaximumCompression) | nameFlag);
  header.crc32 = totals.crc32;
  header.compressedSize = static_cast<std::uint32_t>(totals.bytesWritten);
  header.uncompressedSize = static_cast<std::uint32_t>(totals.bytesRead);
  if (!RewriteLocalHeader(writer, offset, header, systemError))
    return kZipWriteFailed;  // the final local header fell short
  return kZipOk;
}

// The central directory's record of an entry whose local header is final.
ZipEntryRecord CentralEntryOf(const LocalHeader& header, std::string name, const platform::FileStatus& status,
                              std::uint64_t localHeaderOffset) {
  ZipEntryRecord record;
  record.central.versionMadeBy = kVersionMadeBy;
  record.central.versionNeeded = kVersionNeeded;
  record.central.flags = header.flags;
  record.central.method = header.method;
  record.central.dosTime = header.dosTime;
  record.central.dosDate = header.dosDate;
  record.central.crc32 = header.crc32;
  record.central.compressedSize = header.compressedSize;
  record.central.uncompressedSize = header.uncompressedSize;
  record.central.nameLength = header.nameLength;
  record.central.extraLength = static_cast<std::uint16_t>(kCentralTimestampFieldSize);
  record.central.externalAttributes = ExternalAttributes(status);
  record.central.localHeaderOffset = static_cast<std::uint32_t>(localHeaderOffset);
  record.name = std::move(name);
  record.centralExtra = EncodeCentralTimestampField(status.lastWrite.seconds);
  return record;
}

}  // namespace

ZipHandle* ZipWriterCreate(const std::filesystem::path& archivePath) {
  platform::OutputFile file = platform::OutputFile::Create(archivePath);
  if (!file.IsOpen()) return nullptr;
  return ZipHandle::Adopt(std::make_unique<ZipWriter>(std::move(file)));
}

ZipResult ZipWriterAddFile(ZipHandle* handle, const std::string& entryName,
                           const std::filesystem::path& sourcePath, int* systemError) {
  ZipResult failure = kZipOk;
  ZipWriter* writer = WriterOf(handle, failure);
  if (!writer) return failure;
  if (const ZipResult refused = CheckEntryArguments(*writer, entryName, sourcePath); refused != kZipOk)
    return refused;
  std::string name = ArchiveEntryName(entryName);
  if (name.size() > kLongestEntryName) return kZipBadArguments;  // no room for the name

  platform::InputFile source;
  platform::FileStatus status;
  if (const ZipResult opened = OpenEntrySource(*writer, sourcePath, source, status); opened != kZipOk)
    return opened;

  const bool stored = IsStoredByName(name);
  const auto localExtra =
      EncodeLocalTimestampField(status.lastWrite.seconds, status.lastAccess.seconds, status.creation.seconds);
  // Other tools read a name with bytes above 0x7F as their own code page unless told.
  const std::uint16_t nameFlag = HasNonAsciiByte(name) ? kFlagUtf8Name : 0;
  LocalHeader header = ProvisionalLocalHeader(name, status, stored, nameFlag, localExtra.size());

  const std::uint64_t localHeaderOffset = writer->writePosition;
  if (const ZipResult started = StartEntry(*writer, header, name, localExtra, systemError); started != kZipOk)
    return started;
  EntryTotals totals;
  if (const ZipResult copied = CopyEntryData(*writer, source, stored, totals, systemError); copied != kZipOk)
    return copied;
  if (const ZipResult finished = FinishLocalHeader(*writer, localHeaderOffset, header, totals, systemError);
      finished != kZipOk)
    return finished;

  writer->entries.push_back(CentralEntryOf(header, std::move(name), status, localHeaderOffset));
  return kZipOk;
}

ZipResult ZipWriterClose(ZipHandle* handle, int* systemError) {
  ZipResult failure = kZipOk;
  ZipWriter* writer = WriterOf(handle, failure);
  if (!writer) return failure;
  const std::unique_ptr<ZipHandle> released(handle);  // whatever the close gives

  ZipResult result = kZipOk;
  if (!writer->finished) {
    const std::uint64_t directoryOffset = writer->writePosition;
    for (const ZipEntryRecord& entry : writer->entries) {
      std::vector<std::uint8_t> bytes(kCentralRecordSize);
      EncodeCentralRecord(entry.central,
                          std::span<std::uint8_t, kCentralRecordSize>(bytes.data(), kCentralRecordSize));
      bytes.insert(bytes.end(), entry.name.begin(), entry.name.end());
      bytes.insert(bytes.end(), entry.centralExtra.begin(), entry.centralExtra.end());
      if (!writer->Append(bytes, systemError)) {
        result = kZipWriteFailed;  // a central record fell short: no end record follows
        break;
      }
    }
    const std::uint64_t directorySize = writer->writePosition - directoryOffset;
    if (result == kZipOk && (directoryOffset > kLargestField || directorySize > kLargestField)) {
      ReportError(systemError, EFBIG);
      result = kZipWriteFailed;  // the end record cannot point at the central directory
    }
    if (result == kZipOk) {
      EndRecord end;
      end.entriesOnDisk = static_cast<std::uint16_t>(writer->entries.size());
      end.entriesTotal = end.entriesOnDisk;
      end.centralDirectorySize = static_cast<std::uint32_t>(directorySize);
      end.centralDirectoryOffset = static_cast<std::uint32_t>(directoryOffset);
      std::array<std::uint8_t, kEndRecordSize> bytes{};
      EncodeEndRecord(end, bytes);
      // Without its end record no reader can open the archive, so a short
      // write here is as much a failure as one of the records before it.
      if (!writer->Append(bytes, systemError)) result = kZipWriteFailed;
    }
    writer->finished = true;
  }
  if (!writer->archive.Close() && result == kZipOk) {
    ReportError(systemError, writer->archive.Error());
    result = kZipWriteFailed;  // the system could not complete the file
  }
  return result;
}

}  // namespace tesk::zip
