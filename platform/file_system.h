#pragma once
// Path queries, folder creation and deletion for the project's own files.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tesk::platform {

bool PathExists(const std::filesystem::path& path);
bool IsDirectory(const std::filesystem::path& path);
// True when the path exists and is a symbolic link (not followed).
bool IsSymbolicLink(const std::filesystem::path& path);

// The errno that stands for "exists, but is not a regular file" for a file of
// type `mode`: EISDIR for a folder, ELOOP for a symbolic link that is not
// followed, EINVAL for a FIFO, a socket or a device.
int NotRegularFile(unsigned mode);
// True when `path` exists and is something else than a regular file (a
// folder, a FIFO, a device; a symbolic link itself when `followLinks` is off).
// Such a file is never opened for an output: opening a FIFO can block, and
// writing to a device feeds whatever is behind it.
bool IsOtherThanRegularFile(const std::filesystem::path& path, bool followLinks, int* error = nullptr);

// True when two open descriptors are the same file (device and inode).
bool IsSameFile(int firstDescriptor, int secondDescriptor);

// Creates one folder; false when it could not be created (it may exist already).
bool CreateFolder(const std::filesystem::path& path);

// Makes the folder's list of names durable (fsync on the folder), so a file
// just created and synced is still found after a power cut.
bool SyncFolder(const std::filesystem::path& folder);

// Deletes a file that the project wrote. Refused (false, EBUSY) for a held file.
bool DeleteOutputFile(const std::filesystem::path& path, int* error = nullptr);

// Moves a finished temporary file onto `destination`, replacing a regular file
// there in one step. Refused (false, errno in `error`) when the destination is
// held, or exists and is not a regular file (a link there is not followed).
bool MoveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& destination,
                   int* error = nullptr);

// Opens the file for reading and returns its length, as the run reads back
// the sizes of finished outputs.
std::optional<std::uint64_t> FileLength(const std::filesystem::path& path);

// Clears every write permission bit, as the read-only attribute would.
bool ClearWritePermission(const std::filesystem::path& path);

std::filesystem::path CurrentFolder();

// A new, empty, private folder under the system's temporary folder; empty on failure.
std::filesystem::path CreateTemporaryFolder();
// Removes a folder made by CreateTemporaryFolder with everything in it.
void RemoveFolderTree(const std::filesystem::path& folder);
// Copies a file; false when it cannot be read or the copy cannot be created.
bool CopyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// The system's text for an errno value.
std::string ErrorText(int error);

}  // namespace tesk::platform
