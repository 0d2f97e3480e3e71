#pragma once
// Opens an existing ZIP archive, lists its entries and extracts them into
// files beneath a base folder, never outside it.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_times.h"
#include "zip/zip_types.h"

namespace tesk::zip {

// What a lookup tells of one entry.
struct ZipEntryInfo {
  std::int32_t index = 0;  // for the lookup of index -1: the entry count
  std::string name;        // cleaned, "/" between folders (see entry_name.h)
  std::uint32_t attributes = 0;
  // A time the entry does not give (an invalid MS-DOS time and no "UT" field
  // holding it) is left out, and the extracted file keeps its own.
  std::optional<platform::Timestamp> creationTime;
  std::optional<platform::Timestamp> accessTime;
  std::optional<platform::Timestamp> writeTime;
  // From the central record, or its ZIP64 extra field.
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
};

// No handle when the file cannot be opened or holds no readable archive. The
// base folder starts as the current folder.
ZipHandle* ZipReaderOpen(const std::filesystem::path& archivePath);

// Extracted files go beneath `folder`; an empty folder means the current one.
ZipResult ZipReaderSetBaseFolder(ZipHandle* handle, const std::filesystem::path& folder);

// Fills `info` for entry `index` (0 ... count - 1), or with index -1 puts the
// entry count into info.index.
ZipResult ZipReaderGetEntry(ZipHandle* handle, std::int32_t index, ZipEntryInfo& info);

// Writes entry `index` to base folder + `destinationName`, or creates that
// folder for a directory entry. The caller passes the name a lookup of the
// same index gave. `systemError`, when given, receives the errno of a file
// that could not be created or written (0x200, 0x400).
ZipResult ZipReaderExtractEntry(ZipHandle* handle, std::int32_t index, const std::string& destinationName,
                                int* systemError = nullptr);

// Closes the archive and releases the reader and the handle.
ZipResult ZipReaderClose(ZipHandle* handle);

// Holds a reader's handle for a scope and closes it on every way out.
struct ZipReaderCloser {
  void operator()(ZipHandle* handle) const { ZipReaderClose(handle); }
};
using ScopedZipReader = std::unique_ptr<ZipHandle, ZipReaderCloser>;

}  // namespace tesk::zip
