#pragma once
// Folders beneath the extraction folder, made without ever passing through a
// symbolic link: an entry must not reach outside through one that happens to
// stand in the folder.

#include <filesystem>
#include <string_view>

namespace tesk::zip {

// Makes the base folder if it is missing, then every missing folder of
// `relativeFolder` ("a/b/" or "a/b") beneath it. False when a part exists as
// a file or a link, or could not be made.
bool MakeFoldersBeneath(const std::filesystem::path& baseFolder, std::string_view relativeFolder);

}  // namespace tesk::zip
