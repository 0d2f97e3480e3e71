#pragma once
// Packs files from disk into a new ZIP archive.

#include <filesystem>
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

}  // namespace tesk::zip
