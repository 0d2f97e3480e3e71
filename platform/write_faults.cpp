#include "platform/write_faults.h"

#include <optional>

namespace tesk::platform {
namespace {

struct WriteFault {
  std::filesystem::path fileName;
  std::uint64_t bytes = 0;
  int error = 0;
};

std::optional<WriteFault>& ActiveFault() {
  static std::optional<WriteFault> fault;
  return fault;
}

}  // namespace

void FailWritesAfter(const std::filesystem::path& fileName, std::uint64_t bytes, int error) {
  ActiveFault() = WriteFault{fileName, bytes, error};
}

void ClearWriteFaults() { ActiveFault().reset(); }

std::uint64_t AllowedWriteBytes(const std::filesystem::path& path, std::uint64_t alreadyWritten,
                                std::uint64_t wanted, int& error) {
  const auto& fault = ActiveFault();
  if (!fault || path.filename() != fault->fileName) return wanted;
  error = fault->error;
  if (alreadyWritten >= fault->bytes) return 0;
  const std::uint64_t room = fault->bytes - alreadyWritten;
  return wanted < room ? wanted : room;
}

}  // namespace tesk::platform
