#pragma once
// How a print server listens, where it keeps jobs, and whom it forwards to.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "live/host_port.h"
#include "live/status_answers.h"

namespace tesk::live {

// Within the run's 2 GiB model, and beyond the largest jobs drivers send.
inline constexpr std::uint64_t kDefaultJobByteCap = std::uint64_t{256} * 1024 * 1024;
inline constexpr std::uint64_t kLargestJobByteCap = (std::uint64_t{1} << 31) - 1;

struct ServerSettings {
  HostPort listen{kDefaultListenAddress, kDefaultListenPort};  // port 0: the kernel chooses
  std::filesystem::path folder;                                // must exist
  int idleMilliseconds = 2000;                                 // a job ends after this long without a byte
  std::uint64_t jobByteCap = kDefaultJobByteCap;
  int connectionLimit = 16;  // more connections wait in the backlog
  std::optional<HostPort> forward;
  // How long a printer may take to accept a connection or take bytes.
  int printerPatienceMilliseconds = 10000;
  PrinterStatusAnswers answers;
  // When this descriptor turns readable the server stops (a termination-signal
  // pipe); -1 for none.
  int stopDescriptor = -1;
};

}  // namespace tesk::live
