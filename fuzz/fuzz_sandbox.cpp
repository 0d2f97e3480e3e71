#include "fuzz/fuzz_sandbox.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/picture_limits.h"

namespace tesk::fuzz {

FuzzSandbox::FuzzSandbox() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tesk-fuzz-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) std::abort();
  sandbox_ = pattern;
  work_ = sandbox_ / "work";
  std::filesystem::create_directory(work_);
}

FuzzSandbox::~FuzzSandbox() {
  std::error_code ignored;
  for (auto it = std::filesystem::recursive_directory_iterator(sandbox_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(sandbox_, ignored);
}

std::filesystem::path FuzzSandbox::WriteInput(const char* name, std::span<const std::uint8_t> bytes) const {
  const auto path = work_ / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void FuzzSandbox::CheckNothingEscaped() const {
  for (const auto& entry : std::filesystem::directory_iterator(sandbox_)) {
    if (entry.path() != work_) {
      std::fprintf(stderr, "escaped the work folder: %s\n", entry.path().c_str());
      std::abort();
    }
  }
}

void LowerLimitsForFuzzing() { core::SetPictureByteLimit(std::int64_t{1} << 20); }

}  // namespace tesk::fuzz
