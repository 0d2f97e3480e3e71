// Replays saved inputs through a fuzz target without libFuzzer, so the normal
// and the sanitizer builds run every committed crasher and seed on each test run.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int index = 1; index < argc; ++index) {
    const std::filesystem::path root = argv[index];
    if (!std::filesystem::exists(root)) continue;
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(root)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else {
      inputs.push_back(root);
    }
    for (const auto& input : inputs) {
      std::ifstream in(input, std::ios::binary);
      const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return 0;
}
