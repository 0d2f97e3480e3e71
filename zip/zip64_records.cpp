#include "zip/zip64_records.h"

#include "platform/little_endian.h"
#include "zip/extra_fields.h"

namespace tesk::zip {

using platform::ReadLe16;
using platform::ReadLe32;
using platform::ReadLe64;

bool DecodeZip64Locator(std::span<const std::uint8_t, kZip64LocatorSize> bytes, Zip64Locator& locator) {
  const std::uint8_t* in = bytes.data();
  if (ReadLe32(in) != kZip64LocatorSignature) return false;
  locator.recordDisk = ReadLe32(in + 4);
  locator.recordOffset = ReadLe64(in + 8);
  locator.diskCount = ReadLe32(in + 16);
  return true;
}

bool DecodeZip64EndRecord(std::span<const std::uint8_t, kZip64EndRecordSize> bytes, Zip64EndRecord& record) {
  const std::uint8_t* in = bytes.data();
  if (ReadLe32(in) != kZip64EndRecordSignature) return false;
  record.recordSize = ReadLe64(in + 4);
  record.versionMadeBy = ReadLe16(in + 12);
  record.versionNeeded = ReadLe16(in + 14);
  record.diskNumber = ReadLe32(in + 16);
  record.centralDirectoryDisk = ReadLe32(in + 20);
  record.entriesOnDisk = ReadLe64(in + 24);
  record.entriesTotal = ReadLe64(in + 32);
  record.centralDirectorySize = ReadLe64(in + 40);
  record.centralDirectoryOffset = ReadLe64(in + 48);
  return true;
}

bool ApplyZip64Extra(std::span<const std::uint8_t> extra, EntryExtent& extent, bool withOffset) {
  const auto field = FindExtraField(extra, kZip64ExtraId);
  if (!field) return true;
  std::uint64_t* const values[] = {&extent.uncompressedSize, &extent.compressedSize,
                                   &extent.localHeaderOffset};
  const std::size_t count = withOffset ? 3 : 2;
  std::size_t next = 0;
  for (std::size_t index = 0; index < count; ++index) {
    if (*values[index] != kMarker32) continue;
    if (field->size() - next < 8) return false;  // the field ends before this value
    *values[index] = ReadLe64(field->data() + next);
    next += 8;
  }
  return true;
}

bool HasZip64Marker(const EntryExtent& extent) {
  return extent.uncompressedSize == kMarker32 || extent.compressedSize == kMarker32 ||
         extent.localHeaderOffset == kMarker32;
}

}  // namespace tesk::zip
