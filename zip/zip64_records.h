#pragma once
// The records of archives whose sizes, offsets or entry count outgrow the
// classic fields: the ZIP64 end record, the locator that leads to it, and the
// ZIP64 extra field (header ID 0x0001) of a local header or central record.
// A classic field that holds the all-ones marker has its value there.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tesk::zip {

inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064B50;  // "PK" 6 6
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;    // "PK" 6 7
inline constexpr std::size_t kZip64EndRecordSize = 56;                 // without its extensible data
inline constexpr std::size_t kZip64LocatorSize = 20;
// The record's own size field counts everything after itself.
inline constexpr std::uint64_t kZip64EndRecordLeadSize = 12;
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;

inline constexpr std::uint16_t kMarker16 = 0xFFFF;
inline constexpr std::uint32_t kMarker32 = 0xFFFFFFFF;

struct Zip64Locator {
  std::uint32_t recordDisk = 0;
  std::uint64_t recordOffset = 0;  // from the archive's start
  std::uint32_t diskCount = 0;
};

struct Zip64EndRecord {
  std::uint64_t recordSize = 0;
  std::uint16_t versionMadeBy = 0;
  std::uint16_t versionNeeded = 0;
  std::uint32_t diskNumber = 0;
  std::uint32_t centralDirectoryDisk = 0;
  std::uint64_t entriesOnDisk = 0;
  std::uint64_t entriesTotal = 0;
  std::uint64_t centralDirectorySize = 0;
  std::uint64_t centralDirectoryOffset = 0;
};

// Each decoder returns false when the signature is not the record's.
bool DecodeZip64Locator(std::span<const std::uint8_t, kZip64LocatorSize> bytes, Zip64Locator& locator);
bool DecodeZip64EndRecord(std::span<const std::uint8_t, kZip64EndRecordSize> bytes, Zip64EndRecord& record);

// An entry's sizes and the offset of its local header, widened from a
// header's classic fields.
struct EntryExtent {
  std::uint64_t uncompressedSize = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t localHeaderOffset = 0;
};

// Replaces each value of `extent` that holds the marker by the next 8 bytes of
// the ZIP64 extra field in `extra`, in the order uncompressed size, compressed
// size, local header offset (a local header has no offset: `withOffset`
// false). Without such a field `extent` is left as it is. False when the field
// holds fewer values than the markers call for.
bool ApplyZip64Extra(std::span<const std::uint8_t> extra, EntryExtent& extent, bool withOffset);

// Whether any value of `extent` holds the marker.
bool HasZip64Marker(const EntryExtent& extent);

}  // namespace tesk::zip
