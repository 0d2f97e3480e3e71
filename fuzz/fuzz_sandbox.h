#pragma once
// A fresh folder inside a private sandbox for every fuzz input, and the check
// that the input made nothing appear in the sandbox outside that folder.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace tesk::fuzz {

class FuzzSandbox {
 public:
  FuzzSandbox();
  ~FuzzSandbox();
  FuzzSandbox(const FuzzSandbox&) = delete;
  FuzzSandbox& operator=(const FuzzSandbox&) = delete;

  // The folder the input may write into; empty at the start of every input.
  const std::filesystem::path& work() const { return work_; }
  std::filesystem::path WriteInput(const char* name, std::span<const std::uint8_t> bytes) const;
  // Aborts when anything but the work folder exists in the sandbox.
  void CheckNothingEscaped() const;

 private:
  std::filesystem::path sandbox_;
  std::filesystem::path work_;
};

// Lowers the picture limit so that one input never costs seconds.
void LowerLimitsForFuzzing();

}  // namespace tesk::fuzz
