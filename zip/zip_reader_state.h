#pragma once
// The reader's own record, shared by its lookup (zip_reader.cpp) and its
// extraction (entry_extraction.cpp). Not part of the component's interface.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/input_file.h"
#include "zip/zip_reader.h"
#include "zip/zip_records.h"

namespace tesk::zip {

// One central directory record that could be read, and where its parts lie.
struct CentralEntry {
  CentralRecord record;
  // The sizes, from the ZIP64 extra field where the record's own fields
  // hold the marker.
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t namePosition = 0;         // in the file
  std::uint64_t localHeaderPosition = 0;  // in the file: prefix + the record's offset
  // A ZIP64 extra field too short for its markers, or an offset beyond the
  // file: the entry cannot be found.
  bool unreachable = false;
};

class ZipReader final : public ZipComponent {
 public:
  static constexpr std::int32_t kKind = kZipReaderKind;

  // Reads exactly bytes.size() bytes at `position`; false when they are not all there.
  bool ReadAt(std::uint64_t position, std::span<std::uint8_t> bytes);

  platform::InputFile archive;
  std::uint64_t fileSize = 0;
  // Bytes in front of the archive proper (a stub), added to every offset it holds.
  std::uint64_t prefix = 0;
  std::uint32_t entryCount = 0;             // as the end record says
  std::uint64_t centralDirectoryStart = 0;  // in the file
  // The records up to the first one that cannot be read, in the archive's
  // order; the entries after it cannot be reached.
  std::vector<CentralEntry> entries;
  // Every reachable local header's position, sorted, to find entries whose
  // data run over another entry.
  std::vector<std::uint64_t> localHeaderPositions;

  std::int32_t cachedIndex = -1;
  ZipEntryInfo cachedInfo;
  std::uint64_t cachedDataPosition = 0;

  std::filesystem::path baseFolder;  // ends in "/"
  std::vector<std::uint8_t> compressedBlock;
  std::vector<std::uint8_t> outputBlock;
};

// The reader a handle owns; no reader (and `failure` set) for a missing handle
// or a writer's.
ZipReader* ReaderOf(ZipHandle* handle, ZipResult& failure);

// The lookup of one entry (index 0 ... count - 1, or -1 for the count), cached.
// `dataPosition` receives where the entry's data start in the file.
ZipResult LookUpEntry(ZipReader& reader, std::int32_t index, ZipEntryInfo& info, std::uint64_t& dataPosition);

}  // namespace tesk::zip
