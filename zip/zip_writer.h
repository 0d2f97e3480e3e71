#pragma once
// Packs files from disk into a new ZIP archive.

#include <filesystem>
#include <memory>
#include <string>

#include "zip/zip_types.h"

namespace tesk::zip {

// Creates the archive; no handle when it cannot be created.
ZipHandle* ZipWriterCreate(const std::filesystem::path& archivePath);

// Adds the file at `sourcePath` as one entry. `systemError`, when given,
// receives the errno of a failed write (with 0x400).
ZipResult ZipWriterAddFile(ZipHandle* handle, const std::string& entryName,
                           const std::filesystem::path& sourcePath, int* systemError = nullptr);

// Writes the central directory, closes the archive and releases the handle.
ZipResult ZipWriterClose(ZipHandle* handle, int* systemError = nullptr);

// Holds a writer's handle for a scope and closes it on every way out. A caller
// that wants the close's result hands the handle over:
// ZipWriterClose(writer.release(), &error).
struct ZipWriterCloser {
  void operator()(ZipHandle* handle) const { ZipWriterClose(handle); }
};
using ScopedZipWriter = std::unique_ptr<ZipHandle, ZipWriterCloser>;

}  // namespace tesk::zip
