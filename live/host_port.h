#pragma once
// Addresses as users write them: "9100", "127.0.0.1:9100", "[::1]:9100",
// "printer.local:9100".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tesk::live {

inline constexpr const char* kDefaultListenAddress = "127.0.0.1";
inline constexpr std::uint16_t kDefaultListenPort = 9100;

struct HostPort {
  std::string host;
  std::uint16_t port = 0;
};

// "[ADDRESS:]PORT"; a bare port listens on the loopback address, so reaching
// the server from other machines is always an explicit choice.
std::optional<HostPort> ParseListenAddress(std::string_view text);
// "HOST:PORT"; both parts are needed.
std::optional<HostPort> ParseForwardAddress(std::string_view text);

// "127.0.0.1:9100", "[::1]:9100".
std::string FormatHostPort(const HostPort& address);

}  // namespace tesk::live
