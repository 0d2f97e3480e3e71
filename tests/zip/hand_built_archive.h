#pragma once
// Archives put together byte by byte, honest first and then bent where a test
// wants them bent, for the reader's hostile cases.

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/little_endian.h"
#include "tests/support/temp_folder.h"

namespace tesk::testing {

inline Bytes RawDeflate(const Bytes& plain) {
  z_stream stream{};
  if (::deflateInit2(&stream, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  Bytes out(::deflateBound(&stream, static_cast<uLong>(plain.size())) + 16);
  stream.next_in = const_cast<Bytef*>(plain.data());
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  if (::deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(stream.total_out);
  ::deflateEnd(&stream);
  return out;
}

inline std::uint32_t Crc32(const Bytes& bytes) {
  return static_cast<std::uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

struct HandEntry {
  std::string name;
  Bytes content;
  std::uint16_t method = 0;  // 0 stored; 8 deflated here; anything else stored as given
  std::uint16_t flags = 0;
  std::uint16_t versionMadeBy = 0x031E;           // Unix
  std::uint32_t externalAttributes = 0x81A40000;  // a regular file, rw-r--r--
  std::uint16_t dosTime = 0x645C;                 // 12:34:56
  std::uint16_t dosDate = 0x48ED;                 // 2016-07-13
  Bytes localExtra;
  Bytes centralExtra;
};

// Where the parts of a built archive lie, for bending them afterwards.
struct HandLayout {
  std::vector<std::size_t> localHeaders;
  std::vector<std::size_t> data;
  std::vector<std::size_t> centralRecords;
  std::size_t centralDirectory = 0;
  std::size_t endRecord = 0;
  // ZIP64 archives only: the ZIP64 end record, its locator, and each entry's
  // ZIP64 extra field in its local header and its central record.
  std::size_t zip64Record = 0;
  std::size_t zip64Locator = 0;
  std::vector<std::size_t> localZip64Fields;
  std::vector<std::size_t> centralZip64Fields;
};

struct HandArchive {
  Bytes bytes;
  HandLayout layout;

  void Put16(std::size_t offset, std::uint16_t value) { platform::PutLe16(bytes.data() + offset, value); }
  void Put32(std::size_t offset, std::uint32_t value) { platform::PutLe32(bytes.data() + offset, value); }
  void Put64(std::size_t offset, std::uint64_t value) {
    Put32(offset, static_cast<std::uint32_t>(value));
    Put32(offset + 4, static_cast<std::uint32_t>(value >> 32));
  }
  // Both headers of entry `index` get the same value at their field of that name.
  void SetMethod(std::size_t index, std::uint16_t method) {
    Put16(layout.localHeaders[index] + 8, method);
    Put16(layout.centralRecords[index] + 10, method);
  }
  void SetCompressedSize(std::size_t index, std::uint32_t size) {
    Put32(layout.localHeaders[index] + 18, size);
    Put32(layout.centralRecords[index] + 20, size);
  }
  void SetUncompressedSize(std::size_t index, std::uint32_t size) {
    Put32(layout.localHeaders[index] + 22, size);
    Put32(layout.centralRecords[index] + 24, size);
  }
  void SetLocalHeaderOffset(std::size_t index, std::uint32_t offset) {
    Put32(layout.centralRecords[index] + 42, offset);
  }
};

// The archive, honest: local headers and data, then the central directory and
// the end record with `comment`. A `stub` goes in front; offsets count from
// the archive's start unless `offsetsFromFileStart`.
inline HandArchive BuildArchive(const std::vector<HandEntry>& entries, const Bytes& comment = {},
                                const Bytes& stub = {}, bool offsetsFromFileStart = false) {
  HandArchive archive;
  Bytes& out = archive.bytes;
  out = stub;
  const std::size_t base = offsetsFromFileStart ? 0 : stub.size();
  auto put16 = [&out](std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
  };
  auto put32 = [&](std::uint32_t value) {
    put16(static_cast<std::uint16_t>(value));
    put16(static_cast<std::uint16_t>(value >> 16));
  };
  std::vector<Bytes> stored;
  for (const HandEntry& entry : entries) {
    stored.push_back(entry.method == 8 ? RawDeflate(entry.content) : entry.content);
    const Bytes& data = stored.back();
    archive.layout.localHeaders.push_back(out.size());
    put32(0x04034B50);
    put16(20);
    put16(entry.flags);
    put16(entry.method);
    put16(entry.dosTime);
    put16(entry.dosDate);
    put32(Crc32(entry.content));
    put32(static_cast<std::uint32_t>(data.size()));
    put32(static_cast<std::uint32_t>(entry.content.size()));
    put16(static_cast<std::uint16_t>(entry.name.size()));
    put16(static_cast<std::uint16_t>(entry.localExtra.size()));
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    out.insert(out.end(), entry.localExtra.begin(), entry.localExtra.end());
    archive.layout.data.push_back(out.size());
    out.insert(out.end(), data.begin(), data.end());
  }
  archive.layout.centralDirectory = out.size();
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const HandEntry& entry = entries[index];
    archive.layout.centralRecords.push_back(out.size());
    put32(0x02014B50);
    put16(entry.versionMadeBy);
    put16(20);
    put16(entry.flags);
    put16(entry.method);
    put16(entry.dosTime);
    put16(entry.dosDate);
    put32(Crc32(entry.content));
    put32(static_cast<std::uint32_t>(stored[index].size()));
    put32(static_cast<std::uint32_t>(entry.content.size()));
    put16(static_cast<std::uint16_t>(entry.name.size()));
    put16(static_cast<std::uint16_t>(entry.centralExtra.size()));
    put16(0);
    put16(0);
    put16(0);
    put32(entry.externalAttributes);
    put32(static_cast<std::uint32_t>(archive.layout.localHeaders[index] - base));
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    out.insert(out.end(), entry.centralExtra.begin(), entry.centralExtra.end());
  }
  archive.layout.endRecord = out.size();
  put32(0x06054B50);
  put16(0);
  put16(0);
  put16(static_cast<std::uint16_t>(entries.size()));
  put16(static_cast<std::uint16_t>(entries.size()));
  put32(static_cast<std::uint32_t>(archive.layout.endRecord - archive.layout.centralDirectory));
  put32(static_cast<std::uint32_t>(archive.layout.centralDirectory - base));
  put16(static_cast<std::uint16_t>(comment.size()));
  out.insert(out.end(), comment.begin(), comment.end());
  return archive;
}

// The same archive in ZIP64 form: every size and offset of both headers is
// the marker, with its value in a ZIP64 extra field (sizes in the local one;
// sizes and offset in the central one) put in front of the entry's own extra
// fields, and the directory is found through a ZIP64 end record and its
// locator, the classic end record holding markers alone.
inline HandArchive BuildZip64Archive(std::vector<HandEntry> entries) {
  constexpr std::size_t kLocalField = 4 + 16;
  constexpr std::size_t kCentralField = 4 + 24;
  for (HandEntry& entry : entries) {
    entry.localExtra.insert(entry.localExtra.begin(), kLocalField, 0);
    entry.centralExtra.insert(entry.centralExtra.begin(), kCentralField, 0);
  }
  HandArchive archive = BuildArchive(entries);
  HandLayout& layout = archive.layout;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const std::size_t central = layout.centralRecords[index];
    const std::uint32_t compressed = platform::ReadLe32(archive.bytes.data() + central + 20);
    const std::uint32_t uncompressed = platform::ReadLe32(archive.bytes.data() + central + 24);
    const std::size_t local = layout.localHeaders[index] + 30 + entries[index].name.size();
    archive.Put16(local, 1);
    archive.Put16(local + 2, 16);
    archive.Put64(local + 4, uncompressed);
    archive.Put64(local + 12, compressed);
    const std::size_t field = central + 46 + entries[index].name.size();
    archive.Put16(field, 1);
    archive.Put16(field + 2, 24);
    archive.Put64(field + 4, uncompressed);
    archive.Put64(field + 12, compressed);
    archive.Put64(field + 20, layout.localHeaders[index]);
    archive.SetCompressedSize(index, 0xFFFFFFFF);
    archive.SetUncompressedSize(index, 0xFFFFFFFF);
    archive.SetLocalHeaderOffset(index, 0xFFFFFFFF);
    layout.localZip64Fields.push_back(local);
    layout.centralZip64Fields.push_back(field);
  }
  layout.zip64Record = layout.endRecord;
  layout.zip64Locator = layout.zip64Record + 56;
  layout.endRecord = layout.zip64Locator + 20;
  archive.bytes.resize(layout.zip64Record);
  archive.bytes.resize(layout.endRecord + 22, 0);
  archive.Put32(layout.zip64Record, 0x06064B50);
  archive.Put64(layout.zip64Record + 4, 44);
  archive.Put16(layout.zip64Record + 12, 0x031E);
  archive.Put16(layout.zip64Record + 14, 45);
  archive.Put64(layout.zip64Record + 24, entries.size());
  archive.Put64(layout.zip64Record + 32, entries.size());
  archive.Put64(layout.zip64Record + 40, layout.zip64Record - layout.centralDirectory);
  archive.Put64(layout.zip64Record + 48, layout.centralDirectory);
  archive.Put32(layout.zip64Locator, 0x07064B50);
  archive.Put64(layout.zip64Locator + 8, layout.zip64Record);
  archive.Put32(layout.zip64Locator + 16, 1);
  archive.Put32(layout.endRecord, 0x06054B50);
  archive.Put16(layout.endRecord + 8, 0xFFFF);
  archive.Put16(layout.endRecord + 10, 0xFFFF);
  archive.Put32(layout.endRecord + 12, 0xFFFFFFFF);
  archive.Put32(layout.endRecord + 16, 0xFFFFFFFF);
  return archive;
}

inline Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

}  // namespace tesk::testing
