#pragma once
// Test hook: makes writes to one output file fail after a number of bytes, as a
// full disk would, so the error paths of every writer can be tested without
// filling a disk. Only OutputFile consults it.

#include <cstdint>
#include <filesystem>

namespace tesk::platform {

// Writes to files whose name part equals `fileName` fail once `bytes` bytes
// have been written to that file; the failing write sets errno `error`.
void FailWritesAfter(const std::filesystem::path& fileName, std::uint64_t bytes, int error);
void ClearWriteFaults();

// For OutputFile: how many of `wanted` bytes may still be written to `path`
// after `alreadyWritten`, and the error to report when that is fewer.
std::uint64_t AllowedWriteBytes(const std::filesystem::path& path, std::uint64_t alreadyWritten,
                                std::uint64_t wanted, int& error);

}  // namespace tesk::platform
