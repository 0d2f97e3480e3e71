#include "live/host_port.h"

#include <charconv>

namespace tesk::live {
namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 65535)
    return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

// Splits "HOST:PORT" and "[V6]:PORT"; `host` is left empty for a bare port.
std::optional<HostPort> Split(std::string_view text) {
  HostPort address;
  std::string_view portText = text;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find("]:");
    if (close == std::string_view::npos || close == 1) return std::nullopt;
    address.host = std::string(text.substr(1, close - 1));
    portText = text.substr(close + 2);
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    // An IPv6 address without brackets would be read ambiguously.
    if (colon == 0 || text.substr(0, colon).find(':') != std::string_view::npos) return std::nullopt;
    address.host = std::string(text.substr(0, colon));
    portText = text.substr(colon + 1);
  }
  const auto port = ParsePort(portText);
  if (!port) return std::nullopt;
  address.port = *port;
  return address;
}

}  // namespace

std::optional<HostPort> ParseListenAddress(std::string_view text) {
  auto address = Split(text);
  if (address && address->host.empty()) address->host = kDefaultListenAddress;
  return address;
}

std::optional<HostPort> ParseForwardAddress(std::string_view text) {
  auto address = Split(text);
  if (!address || address->host.empty() || address->port == 0) return std::nullopt;
  return address;
}

std::string FormatHostPort(const HostPort& address) {
  const bool ipv6 = address.host.find(':') != std::string::npos;
  return (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

}  // namespace tesk::live
