#pragma once
// The fixed-size records of an archive, shared by the writer and the reader:
// the local file header, the central directory record and the end record.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tesk::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;    // "PK" 3 4
inline constexpr std::uint32_t kCentralRecordSignature = 0x02014B50;  // "PK" 1 2
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50;      // "PK" 5 6

// The high half of a central record's external attributes: the Unix file
// mode, for makers that keep one there.
inline constexpr std::uint32_t kUnixRegularFile = 0x80000000;
inline constexpr std::uint32_t kUnixDirectory = 0x40000000;
inline constexpr std::uint32_t kUnixOwnerRead = 0x01000000;
inline constexpr std::uint32_t kUnixOwnerWrite = 0x00800000;
inline constexpr std::uint32_t kUnixOwnerExecute = 0x00400000;

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralRecordSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagMaximumCompression = 0x0002;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;

// Entry data pass through buffers of this size in both directions.
inline constexpr std::size_t kTransferBlockSize = 16384;

struct LocalHeader {
  std::uint16_t versionNeeded = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;
};

struct CentralRecord {
  std::uint16_t versionMadeBy = 0;
  std::uint16_t versionNeeded = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;
  std::uint16_t commentLength = 0;
  std::uint16_t diskNumberStart = 0;
  std::uint16_t internalAttributes = 0;
  std::uint32_t externalAttributes = 0;
  std::uint32_t localHeaderOffset = 0;
};

struct EndRecord {
  std::uint16_t diskNumber = 0;
  std::uint16_t centralDirectoryDisk = 0;
  std::uint16_t entriesOnDisk = 0;
  std::uint16_t entriesTotal = 0;
  std::uint32_t centralDirectorySize = 0;
  std::uint32_t centralDirectoryOffset = 0;
  std::uint16_t commentLength = 0;
};

// Each encoder fills exactly the record's fixed size, signature included.
void EncodeLocalHeader(const LocalHeader& header, std::span<std::uint8_t, kLocalHeaderSize> bytes);
void EncodeCentralRecord(const CentralRecord& record, std::span<std::uint8_t, kCentralRecordSize> bytes);
void EncodeEndRecord(const EndRecord& record, std::span<std::uint8_t, kEndRecordSize> bytes);

// Whether `bytes` open with a local header's signature: an archive we load is
// known by its first entry, whatever its name says.
bool StartsWithLocalHeader(std::span<const std::uint8_t> bytes);

// Each decoder returns false when the signature is not the record's.
bool DecodeLocalHeader(std::span<const std::uint8_t, kLocalHeaderSize> bytes, LocalHeader& header);
bool DecodeCentralRecord(std::span<const std::uint8_t, kCentralRecordSize> bytes, CentralRecord& record);
bool DecodeEndRecord(std::span<const std::uint8_t, kEndRecordSize> bytes, EndRecord& record);

}  // namespace tesk::zip
