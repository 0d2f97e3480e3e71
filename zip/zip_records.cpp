#include "zip/zip_records.h"

#include "platform/little_endian.h"

namespace tesk::zip {

using platform::PutLe16;
using platform::PutLe32;
using platform::ReadLe16;
using platform::ReadLe32;

void EncodeLocalHeader(const LocalHeader& header, std::span<std::uint8_t, kLocalHeaderSize> bytes) {
  std::uint8_t* out = bytes.data();
  PutLe32(out + 0, kLocalHeaderSignature);
  PutLe16(out + 4, header.versionNeeded);
  PutLe16(out + 6, header.flags);
  PutLe16(out + 8, header.method);
  PutLe16(out + 10, header.dosTime);
  PutLe16(out + 12, header.dosDate);
  PutLe32(out + 14, header.crc32);
  PutLe32(out + 18, header.compressedSize);
  PutLe32(out + 22, header.uncompressedSize);
  PutLe16(out + 26, header.nameLength);
  PutLe16(out + 28, header.extraLength);
}

void EncodeCentralRecord(const CentralRecord& record, std::span<std::uint8_t, kCentralRecordSize> bytes) {
  std::uint8_t* out = bytes.data();
  PutLe32(out + 0, kCentralRecordSignature);
  PutLe16(out + 4, record.versionMadeBy);
  PutLe16(out + 6, record.versionNeeded);
  PutLe16(out + 8, record.flags);
  PutLe16(out + 10, record.method);
  PutLe16(out + 12, record.dosTime);
  PutLe16(out + 14, record.dosDate);
  PutLe32(out + 16, record.crc32);
  PutLe32(out + 20, record.compressedSize);
  PutLe32(out + 24, record.uncompressedSize);
  PutLe16(out + 28, record.nameLength);
  PutLe16(out + 30, record.extraLength);
  PutLe16(out + 32, record.commentLength);
  PutLe16(out + 34, record.diskNumberStart);
  PutLe16(out + 36, record.internalAttributes);
  PutLe32(out + 38, record.externalAttributes);
  PutLe32(out + 42, record.localHeaderOffset);
}

void EncodeEndRecord(const EndRecord& record, std::span<std::uint8_t, kEndRecordSize> bytes) {
  std::uint8_t* out = bytes.data();
  PutLe32(out + 0, kEndRecordSignature);
  PutLe16(out + 4, record.diskNumber);
  PutLe16(out + 6, record.centralDirectoryDisk);
  PutLe16(out + 8, record.entriesOnDisk);
  PutLe16(out + 10, record.entriesTotal);
  PutLe32(out + 12, record.centralDirectorySize);
  PutLe32(out + 16, record.centralDirectoryOffset);
  PutLe16(out + 20, record.commentLength);
}

bool StartsWithLocalHeader(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 4 && ReadLe32(bytes.data()) == kLocalHeaderSignature;
}

bool DecodeLocalHeader(std::span<const std::uint8_t, kLocalHeaderSize> bytes, LocalHeader& header) {
  const std::uint8_t* in = bytes.data();
  if (ReadLe32(in) != kLocalHeaderSignature) return false;
  header.versionNeeded = ReadLe16(in + 4);
  header.flags = ReadLe16(in + 6);
  header.method = ReadLe16(in + 8);
  header.dosTime = ReadLe16(in + 10);
  header.dosDate = ReadLe16(in + 12);
  header.crc32 = ReadLe32(in + 14);
  header.compressedSize = ReadLe32(in + 18);
  header.uncompressedSize = ReadLe32(in + 22);
  header.nameLength = ReadLe16(in + 26);
  header.extraLength = ReadLe16(in + 28);
  return true;
}

bool DecodeCentralRecord(std::span<const std::uint8_t, kCentralRecordSize> bytes, CentralRecord& record) {
  const std::uint8_t* in = bytes.data();
  if (ReadLe32(in) != kCentralRecordSignature) return false;
  record.versionMadeBy = ReadLe16(in + 4);
  record.versionNeeded = ReadLe16(in + 6);
  record.flags = ReadLe16(in + 8);
  record.method = ReadLe16(in + 10);
  record.dosTime = ReadLe16(in + 12);
  record.dosDate = ReadLe16(in + 14);
  record.crc32 = ReadLe32(in + 16);
  record.compressedSize = ReadLe32(in + 20);
  record.uncompressedSize = ReadLe32(in + 24);
  record.nameLength = ReadLe16(in + 28);
  record.extraLength = ReadLe16(in + 30);
  record.commentLength = ReadLe16(in + 32);
  record.diskNumberStart = ReadLe16(in + 34);
  record.internalAttributes = ReadLe16(in + 36);
  record.externalAttributes = ReadLe32(in + 38);
  record.localHeaderOffset = ReadLe32(in + 42);
  return true;
}

bool DecodeEndRecord(std::span<const std::uint8_t, kEndRecordSize> bytes, EndRecord& record) {
  const std::uint8_t* in = bytes.data();
  if (ReadLe32(in) != kEndRecordSignature) return false;
  record.diskNumber = ReadLe16(in + 4);
  record.centralDirectoryDisk = ReadLe16(in + 6);
  record.entriesOnDisk = ReadLe16(in + 8);
  record.entriesTotal = ReadLe16(in + 10);
  record.centralDirectorySize = ReadLe32(in + 12);
  record.centralDirectoryOffset = ReadLe32(in + 16);
  record.commentLength = ReadLe16(in + 20);
  return true;
}

}  // namespace tesk::zip
