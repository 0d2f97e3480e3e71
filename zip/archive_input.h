#pragma once
// Extracts a dropped archive beside itself so the loader can go on with its
// last entry.

#include <cstdint>
#include <filesystem>
#include <string>

namespace tesk::zip {

// What one load may write by extracting archives, nested ones included: the
// larger of kExtractionBudgetFloor and kExtractionBudgetRatio times the size
// of the archive given. Real archives of print jobs and captures compress
// tenfold at most; a "zip bomb" declares thousands of times its size.
inline constexpr std::uint64_t kExtractionBudgetFloor = std::uint64_t{1} << 30;  // 1 GiB
inline constexpr std::uint64_t kExtractionBudgetRatio = 64;

std::uint64_t ExtractionBudget(std::uint64_t archiveSize);

// What an extraction found, for the loader.
struct ArchiveExtraction {
  std::int32_t entryCount = 0;      // as the archive declares
  std::string lastEntryName;        // of the entry `path` names, "/" between folders
  std::uint64_t declaredBytes = 0;  // the sizes of the entries it was to extract, added up
};

// `path`: the archive on entry; the last entry extracted when true is returned,
// passing over macOS's metadata under __MACOSX/ unless nothing else was.
// An archive whose entries would together write more than `budget` bytes is
// refused before anything is written (false, `path` unchanged); otherwise
// what it was to write is taken from `budget`.
bool ExtractArchiveInput(std::filesystem::path& path, std::uint64_t& budget,
                         ArchiveExtraction* found = nullptr);

// The same with the budget of an archive of its own size.
bool ExtractArchiveInput(std::filesystem::path& path);

}  // namespace tesk::zip
