#include "zip/zip_reader.h"

#include <algorithm>
#include <array>
#include <memory>

#include "platform/file_system.h"
#include "zip/dos_time.h"
#include "zip/entry_name.h"
#include "zip/extended_timestamp.h"
#include "zip/zip64_records.h"
#include "zip/zip_reader_state.h"

namespace tesk::zip {
namespace {

// The end record is followed only by the archive comment, at most 65535 bytes.
constexpr std::uint64_t kEndRecordSearchSpan = 65535 + kEndRecordSize;
// As many entries as a classic end record can count; a ZIP64 one may count
// more, but no archive of a print job has them.
constexpr std::uint64_t kMostEntries = 65535;

// Makers whose external attributes carry the MS-DOS attribute bits in their
// low byte: MS-DOS, Macintosh, NTFS and VFAT.
bool HasDosAttributes(std::uint8_t maker) { return maker == 0 || maker == 7 || maker == 11 || maker == 14; }

constexpr std::uint32_t kDosAttributeMask =
    kEntryReadOnly | kEntryHidden | kEntrySystem | kEntryDirectory | kEntryArchive;

std::uint32_t EntryAttributes(const CentralRecord& record) {
  const auto maker = static_cast<std::uint8_t>(record.versionMadeBy >> 8);
  const std::uint32_t external = record.externalAttributes;
  if (HasDosAttributes(maker)) return external & kDosAttributeMask;
  std::uint32_t attributes = kEntryArchive;
  if (external & kUnixDirectory) attributes |= kEntryDirectory;
  if (!(external & kUnixOwnerWrite)) attributes |= kEntryReadOnly;
  return attributes;
}

void SetEntryTimes(const CentralRecord& record, std::span<const std::uint8_t> localExtra,
                   ZipEntryInfo& info) {
  if (const auto local = LocalUnixFromDosDateTime({record.dosDate, record.dosTime})) {
    const platform::Timestamp time{*local, 0};
    info.creationTime = info.accessTime = info.writeTime = time;
  }
  if (const auto exact = FindExtendedTimes(localExtra)) {
    if (exact->writeTime) info.writeTime = platform::Timestamp{*exact->writeTime, 0};
    if (exact->accessTime) info.accessTime = platform::Timestamp{*exact->accessTime, 0};
    if (exact->creationTime) info.creationTime = platform::Timestamp{*exact->creationTime, 0};
  }
}

// Where the central directory lies, as the end record (or the ZIP64 end
// record it leads to) gives it.
struct DirectoryLayout {
  std::uint64_t entryCount = 0;
  std::uint64_t offset = 0;  // from the archive's start
  std::uint64_t size = 0;
  std::uint64_t end = 0;  // the position in the file the directory runs up to
};

bool IsUsableEndRecord(const EndRecord& end, std::uint64_t position) {
  if (end.diskNumber != 0 || end.centralDirectoryDisk != 0) return false;  // a multi-disk archive
  if (end.entriesOnDisk != end.entriesTotal) return false;
  const std::uint64_t directoryEnd = std::uint64_t{end.centralDirectoryOffset} + end.centralDirectorySize;
  return directoryEnd <= position;  // else the directory would run into the end record
}

// Both records must tell the same archive: a classic field either holds the
// marker or the ZIP64 record's value.
bool Agrees(std::uint64_t classic, std::uint64_t marker, std::uint64_t zip64) {
  return classic == marker || classic == zip64;
}

// The ZIP64 end record that ends exactly where the locator begins, at
// `position`.
bool ReadZip64EndRecordAt(ZipReader& reader, std::uint64_t position, std::uint64_t locatorPosition,
                          Zip64EndRecord& record) {
  if (position > locatorPosition || locatorPosition - position < kZip64EndRecordSize) return false;
  std::array<std::uint8_t, kZip64EndRecordSize> bytes{};
  if (!reader.ReadAt(position, bytes) || !DecodeZip64EndRecord(bytes, record)) return false;
  return record.recordSize == locatorPosition - position - kZip64EndRecordLeadSize;
}

bool IsUsableZip64EndRecord(const Zip64EndRecord& record, const EndRecord& end, const Zip64Locator& locator,
                            std::uint64_t position) {
  if (record.diskNumber != 0 || record.centralDirectoryDisk != 0) return false;  // a multi-disk archive
  if (record.entriesOnDisk != record.entriesTotal || record.entriesTotal > kMostEntries) return false;
  if (!Agrees(end.diskNumber, kMarker16, 0) || !Agrees(end.centralDirectoryDisk, kMarker16, 0) ||
      !Agrees(end.entriesOnDisk, kMarker16, record.entriesOnDisk) ||
      !Agrees(end.entriesTotal, kMarker16, record.entriesTotal) ||
      !Agrees(end.centralDirectorySize, kMarker32, record.centralDirectorySize) ||
      !Agrees(end.centralDirectoryOffset, kMarker32, record.centralDirectoryOffset))
    return false;
  // The directory ends where the ZIP64 end record begins, which is where
  // the locator says it is (both counted from the archive's start).
  if (record.centralDirectorySize > position ||
      record.centralDirectoryOffset > position - record.centralDirectorySize)
    return false;
  return locator.recordOffset == record.centralDirectoryOffset + record.centralDirectorySize;
}

// The layout a ZIP64 end record gives, when a locator lies right in front of
// the end record at `endPosition` and leads to a usable one.
bool FindZip64Layout(ZipReader& reader, const EndRecord& end, std::uint64_t endPosition,
                     DirectoryLayout& layout) {
  if (endPosition < kZip64LocatorSize) return false;
  const std::uint64_t locatorPosition = endPosition - kZip64LocatorSize;
  std::array<std::uint8_t, kZip64LocatorSize> bytes{};
  Zip64Locator locator;
  if (!reader.ReadAt(locatorPosition, bytes) || !DecodeZip64Locator(bytes, locator)) return false;
  if (locator.recordDisk != 0 || locator.diskCount > 1) return false;  // a multi-disk archive
  // The record lies where the locator says in an archive that fills its
  // file; behind a stub, it lies right in front of the locator.
  const std::uint64_t rightInFront =
      locatorPosition >= kZip64EndRecordSize ? locatorPosition - kZip64EndRecordSize : locatorPosition + 1;
  for (const std::uint64_t position : {locator.recordOffset, rightInFront}) {
    Zip64EndRecord record;
    if (ReadZip64EndRecordAt(reader, position, locatorPosition, record) &&
        IsUsableZip64EndRecord(record, end, locator, position)) {
      layout = {record.entriesTotal, record.centralDirectoryOffset, record.centralDirectorySize, position};
      return true;
    }
  }
  return false;
}

// The layout an end record at `position` gives, through its ZIP64 end record
// when it has one.
bool FindLayout(ZipReader& reader, const EndRecord& end, std::uint64_t position, DirectoryLayout& layout) {
  if (FindZip64Layout(reader, end, position, layout)) return true;
  if (!IsUsableEndRecord(end, position)) return false;
  layout = {end.entriesTotal, end.centralDirectoryOffset, end.centralDirectorySize, position};
  return true;
}

// Looks for the end record from the end of the file backwards, and takes the
// first candidate whose fields make sense, so a comment that happens to hold
// the signature does not hide the real record.
bool FindDirectory(ZipReader& reader, DirectoryLayout& layout) {
  if (reader.fileSize < kEndRecordSize) return false;
  const std::uint64_t span = std::min(reader.fileSize, kEndRecordSearchSpan);
  const std::uint64_t start = reader.fileSize - span;
  std::vector<std::uint8_t> tail(static_cast<std::size_t>(span));
  if (!reader.ReadAt(start, tail)) return false;
  for (std::size_t offset = tail.size() - kEndRecordSize + 1; offset-- > 0;) {
    const std::span<const std::uint8_t, kEndRecordSize> candidate(tail.data() + offset, kEndRecordSize);
    EndRecord end;
    if (DecodeEndRecord(candidate, end) && FindLayout(reader, end, start + offset, layout)) return true;
  }
  return false;
}

// The entry's sizes and local header position, through its ZIP64 extra
// field where the record holds markers.
void ResolveExtent(ZipReader& reader, std::uint64_t recordPosition, CentralEntry& entry) {
  const CentralRecord& record = entry.record;
  EntryExtent extent{record.uncompressedSize, record.compressedSize, record.localHeaderOffset};
  if (HasZip64Marker(extent)) {
    std::vector<std::uint8_t> extra(record.extraLength);
    if (!reader.ReadAt(recordPosition + kCentralRecordSize + record.nameLength, extra) ||
        !ApplyZip64Extra(extra, extent, true))
      entry.unreachable = true;
  }
  entry.compressedSize = extent.compressedSize;
  entry.uncompressedSize = extent.uncompressedSize;
  if (extent.localHeaderOffset > reader.fileSize)
    entry.unreachable = true;
  else
    entry.localHeaderPosition = reader.prefix + extent.localHeaderOffset;
}

// Reads the central directory once, up to the first record that cannot be
// read or would run out of the directory.
void ReadCentralDirectory(ZipReader& reader, std::uint64_t directoryEnd) {
  std::uint64_t position = reader.centralDirectoryStart;
  reader.entries.reserve(reader.entryCount);
  for (std::uint32_t index = 0; index < reader.entryCount; ++index) {
    std::array<std::uint8_t, kCentralRecordSize> bytes{};
    CentralEntry entry;
    if (position + kCentralRecordSize > directoryEnd || !reader.ReadAt(position, bytes) ||
        !DecodeCentralRecord(bytes, entry.record))
      break;
    const std::uint64_t next = position + kCentralRecordSize + entry.record.nameLength +
                               entry.record.extraLength + entry.record.commentLength;
    if (next > directoryEnd) break;
    entry.namePosition = position + kCentralRecordSize;
    ResolveExtent(reader, position, entry);
    reader.entries.push_back(entry);
    position = next;
  }
  reader.localHeaderPositions.reserve(reader.entries.size());
  for (const CentralEntry& entry : reader.entries)
    if (!entry.unreachable) reader.localHeaderPositions.push_back(entry.localHeaderPosition);
  std::sort(reader.localHeaderPositions.begin(), reader.localHeaderPositions.end());
}

// True when the entry's bytes, from its local header to the end of its data,
// hold no other entry's local header and stay in front of the central
// directory. Archives that let entries share data inflate a few kilobytes
// into terabytes; no tool makes them.
bool StaysInItsOwnRange(const ZipReader& reader, std::uint64_t localHeaderPosition, std::uint64_t dataEnd) {
  if (dataEnd > reader.centralDirectoryStart) return false;
  const auto& positions = reader.localHeaderPositions;
  const auto [first, last] = std::equal_range(positions.begin(), positions.end(), localHeaderPosition);
  if (last - first > 1) return false;  // another entry starts at the same header
  return last == positions.end() || *last >= dataEnd;
}

}  // namespace

bool ZipReader::ReadAt(std::uint64_t position, std::span<std::uint8_t> bytes) {
  if (position > fileSize || bytes.size() > fileSize - position) return false;
  return archive.Seek(position) && archive.ReadFully(bytes) == bytes.size();
}

ZipReader* ReaderOf(ZipHandle* handle, ZipResult& failure) {
  return ZipHandle::ComponentOf<ZipReader>(handle, failure);
}

ZipHandle* ZipReaderOpen(const std::filesystem::path& archivePath) {
  auto reader = std::make_unique<ZipReader>();
  reader->baseFolder = platform::CurrentFolder().native() + "/";
  reader->archive = platform::InputFile::Open(archivePath);
  if (!reader->archive.IsOpen()) return nullptr;
  reader->fileSize = reader->archive.Size();

  DirectoryLayout layout;
  if (!FindDirectory(*reader, layout)) return nullptr;
  // Offsets count from the archive's own start; anything in front of it shifts them all.
  reader->prefix = layout.end - (layout.offset + layout.size);
  reader->entryCount = static_cast<std::uint32_t>(layout.entryCount);
  reader->centralDirectoryStart = reader->prefix + layout.offset;
  ReadCentralDirectory(*reader, layout.end);

  return ZipHandle::Adopt(std::move(reader));
}

ZipResult ZipReaderSetBaseFolder(ZipHandle* handle, const std::filesystem::path& folder) {
  ZipResult failure = kZipOk;
  ZipReader* reader = ReaderOf(handle, failure);
  if (!reader) return failure;
  std::string base = folder.empty() ? std::string(".") : folder.native();
  if (base.back() != '/') base += '/';
  reader->baseFolder = base;
  return kZipOk;
}

ZipResult LookUpEntry(ZipReader& reader, std::int32_t index, ZipEntryInfo& info,
                      std::uint64_t& dataPosition) {
  if (index < -1 || index >= static_cast<std::int64_t>(reader.entryCount))
    return kZipBadArguments;  // no such entry
  if (index == -1) {
    info = ZipEntryInfo{};
    info.index = static_cast<std::int32_t>(reader.entryCount);
    return kZipOk;
  }
  if (index == reader.cachedIndex) {
    info = reader.cachedInfo;
    dataPosition = reader.cachedDataPosition;
    return kZipOk;
  }
  if (static_cast<std::size_t>(index) >= reader.entries.size())
    return kZipBadLocalHeader;  // its central record, or one before it, cannot be read
  const CentralEntry& entry = reader.entries[static_cast<std::size_t>(index)];
  const CentralRecord& central = entry.record;
  if (entry.unreachable) return kZipBadLocalHeader;  // its local header cannot be found

  std::string rawName(central.nameLength, '\0');
  if (!reader.ReadAt(entry.namePosition, {reinterpret_cast<std::uint8_t*>(rawName.data()), rawName.size()}))
    return kZipBadLocalHeader;  // the central record's name cannot be read

  std::array<std::uint8_t, kLocalHeaderSize> headerBytes{};
  LocalHeader local;
  if (!reader.ReadAt(entry.localHeaderPosition, headerBytes) || !DecodeLocalHeader(headerBytes, local))
    return kZipBadLocalHeader;  // no local header where the central record points
  if (local.method != central.method || (local.method != kMethodStored && local.method != kMethodDeflated))
    return kZipBadLocalHeader;  // a method we cannot extract, or one the headers disagree on
  // Sizes the local header keeps in its ZIP64 field are compared once that is read.
  const bool checksSizes = !(local.flags & kFlagDataDescriptor);
  EntryExtent localExtent{local.uncompressedSize, local.compressedSize, 0};
  const bool sizesInZip64 = HasZip64Marker(localExtent);
  const auto sizesDiffer = [&entry, &localExtent] {
    return localExtent.compressedSize != entry.compressedSize ||
           localExtent.uncompressedSize != entry.uncompressedSize;
  };
  if (checksSizes && (local.crc32 != central.crc32 || (!sizesInZip64 && sizesDiffer())))
    return kZipBadLocalHeader;  // local header disagrees with its central record
  if (local.nameLength != central.nameLength)
    return kZipBadLocalHeader;  // local header disagrees with its central record

  const std::uint64_t extraPosition = entry.localHeaderPosition + kLocalHeaderSize + local.nameLength;
  std::vector<std::uint8_t> localExtra(local.extraLength);
  if (!reader.ReadAt(extraPosition, localExtra))
    return kZipBadLocalExtra;  // the local extra field cannot be read
  if (checksSizes && sizesInZip64 && (!ApplyZip64Extra(localExtra, localExtent, false) || sizesDiffer()))
    return kZipBadLocalHeader;  // local header disagrees with its central record

  const std::uint64_t start = extraPosition + local.extraLength;
  if (entry.compressedSize > reader.fileSize ||
      !StaysInItsOwnRange(reader, entry.localHeaderPosition, start + entry.compressedSize))
    return kZipBadLocalHeader;  // its data overlap another entry or the central directory

  std::string name = CleanEntryName(rawName);
  if (!IsSafeEntryName(name)) return kZipBadArguments;  // no safe file name is left

  ZipEntryInfo found;
  found.index = index;
  found.name = std::move(name);
  found.attributes = EntryAttributes(central);
  found.compressedSize = entry.compressedSize;
  found.uncompressedSize = entry.uncompressedSize;
  SetEntryTimes(central, localExtra, found);

  reader.cachedIndex = index;
  reader.cachedInfo = found;
  reader.cachedDataPosition = start;
  info = std::move(found);
  dataPosition = start;
  return kZipOk;
}

ZipResult ZipReaderGetEntry(ZipHandle* handle, std::int32_t index, ZipEntryInfo& info) {
  ZipResult failure = kZipOk;
  ZipReader* reader = ReaderOf(handle, failure);
  if (!reader) return failure;
  std::uint64_t dataPosition = 0;
  return LookUpEntry(*reader, index, info, dataPosition);
}

ZipResult ZipReaderClose(ZipHandle* handle) {
  ZipResult failure = kZipOk;
  if (!ReaderOf(handle, failure)) return failure;
  delete handle;  // and the reader with it
  return kZipOk;
}

}  // namespace tesk::zip
