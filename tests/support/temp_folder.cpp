#include "tests/support/temp_folder.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tesk::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tesk-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Read-only files and folders made by a test must not stop the clean-up.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const std::filesystem::path& path, std::string_view text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes HexBytes(std::string_view hex) {
  Bytes bytes;
  int pending = -1;
  for (const char character : hex) {
    int value;
    if (character >= '0' && character <= '9')
      value = character - '0';
    else if (character >= 'a' && character <= 'f')
      value = character - 'a' + 10;
    else if (character >= 'A' && character <= 'F')
      value = character - 'A' + 10;
    else
      continue;
    if (pending < 0) {
      pending = value;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(pending * 16 + value));
      pending = -1;
    }
  }
  if (pending >= 0) throw std::runtime_error("odd number of hex digits");
  return bytes;
}

int RunCommand(const std::string& command, std::string* output) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 4096> buffer{};
  std::string collected;
  while (std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe))
    collected.append(buffer.data(), count);
  const int status = ::pclose(pipe);
  if (output) *output = collected;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tesk::testing
