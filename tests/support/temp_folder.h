#pragma once
// A fresh folder per test, removed afterwards, and small file helpers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tesk::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
void WriteFile(const std::filesystem::path& path, std::string_view text);
Bytes ReadFile(const std::filesystem::path& path);

// "1b 40 1d 76" -> bytes; spaces and line breaks are ignored.
Bytes HexBytes(std::string_view hex);

// Runs a shell command, returning its exit status and (if wanted) its output.
int RunCommand(const std::string& command, std::string* output = nullptr);

}  // namespace tesk::testing
