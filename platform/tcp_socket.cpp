#include "platform/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace tesk::platform {
namespace {

// A numeric address and port as a socket address; false when not numeric.
bool NumericAddress(const std::string& address, std::uint16_t port, sockaddr_storage& storage,
                    socklen_t& length) {
  std::memset(&storage, 0, sizeof storage);
  auto* ipv4 = reinterpret_cast<sockaddr_in*>(&storage);
  if (::inet_pton(AF_INET, address.c_str(), &ipv4->sin_addr) == 1) {
    ipv4->sin_family = AF_INET;
    ipv4->sin_port = htons(port);
    length = sizeof(sockaddr_in);
    return true;
  }
  auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (::inet_pton(AF_INET6, address.c_str(), &ipv6->sin6_addr) == 1) {
    ipv6->sin6_family = AF_INET6;
    ipv6->sin6_port = htons(port);
    length = sizeof(sockaddr_in6);
    return true;
  }
  return false;
}

std::string AddressText(const sockaddr_storage& storage) {
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(&storage);
    ::inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(ipv4->sin_port));
  }
  if (storage.ss_family == AF_INET6) {
    const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(&storage);
    ::inet_ntop(AF_INET6, &ipv6->sin6_addr, text, sizeof text);
    return "[" + std::string(text) + "]:" + std::to_string(ntohs(ipv6->sin6_port));
  }
  return "?";
}

int NewSocket(int family) { return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0); }

}  // namespace

TcpSocket::~TcpSocket() { Close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

void TcpSocket::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

TcpSocket ListenTcp(const std::string& address, std::uint16_t port, int backlog, int& error) {
  sockaddr_storage storage;
  socklen_t length = 0;
  if (!NumericAddress(address, port, storage, length)) {
    error = EINVAL;  // only numeric addresses: a name could stand for several
    return {};
  }
  TcpSocket socket(NewSocket(storage.ss_family));
  if (!socket.IsOpen()) {
    error = errno;
    return {};
  }
  // A restarted server gets its port back while old connections linger in TIME_WAIT.
  const int on = 1;
  ::setsockopt(socket.Descriptor(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(socket.Descriptor(), reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
      ::listen(socket.Descriptor(), backlog) != 0) {
    error = errno;
    return {};
  }
  error = 0;
  return socket;
}

std::uint16_t LocalPort(const TcpSocket& socket) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (::getsockname(socket.Descriptor(), reinterpret_cast<sockaddr*>(&storage), &length) != 0) return 0;
  if (storage.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
  if (storage.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
  return 0;
}

TcpSocket AcceptTcp(const TcpSocket& listener, std::string& peer, int& error) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  const int descriptor = ::accept4(listener.Descriptor(), reinterpret_cast<sockaddr*>(&storage), &length,
                                   SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (descriptor < 0) {
    error = errno == EWOULDBLOCK ? EAGAIN : errno;
    return {};
  }
  error = 0;
  peer = AddressText(storage);
  return TcpSocket(descriptor);
}

static_assert(sizeof(sockaddr_storage) <= sizeof(SocketAddress::bytes));

bool ResolveTcp(const std::string& host, std::uint16_t port, std::vector<SocketAddress>& addresses,
                std::string& message) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int failure = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); failure != 0) {
    message = failure == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(failure);
    return false;
  }
  addresses.clear();
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_addrlen > sizeof(SocketAddress::bytes)) continue;
    SocketAddress address;
    std::memcpy(address.bytes.data(), entry->ai_addr, entry->ai_addrlen);
    address.length = static_cast<std::uint32_t>(entry->ai_addrlen);
    addresses.push_back(address);
  }
  ::freeaddrinfo(found);
  if (addresses.empty()) message = "no address";
  return !addresses.empty();
}

TcpSocket StartConnectTcp(const SocketAddress& address, int& error) {
  sockaddr_storage storage{};
  std::memcpy(&storage, address.bytes.data(), address.length);
  TcpSocket socket(NewSocket(storage.ss_family));
  if (!socket.IsOpen()) {
    error = errno;
  } else if (::connect(socket.Descriptor(), reinterpret_cast<const sockaddr*>(&storage), address.length) !=
                 0 &&
             errno != EINPROGRESS) {
    error = errno;
    socket.Close();
  } else {
    error = 0;
  }
  return socket;
}

TcpSocket StartConnectTcp(const std::string& host, std::uint16_t port, int& error) {
  std::vector<SocketAddress> addresses;
  std::string message;
  if (!ResolveTcp(host, port, addresses, message)) {
    error = EHOSTUNREACH;  // the name gives no address
    return {};
  }
  return StartConnectTcp(addresses.front(), error);
}

int ConnectionError(const TcpSocket& socket) {
  int pending = 0;
  socklen_t length = sizeof pending;
  if (::getsockopt(socket.Descriptor(), SOL_SOCKET, SO_ERROR, &pending, &length) != 0) return errno;
  return pending;
}

TcpSocket ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMilliseconds, int& error) {
  TcpSocket socket = StartConnectTcp(host, port, error);
  if (!socket.IsOpen()) return socket;
  PollEntry entry{socket.Descriptor(), false, true};
  if (PollDescriptors({&entry, 1}, timeoutMilliseconds) <= 0) {
    error = ETIMEDOUT;
    return {};
  }
  error = ConnectionError(socket);
  if (error != 0) return {};
  return socket;
}

TransferResult ReceiveSome(const TcpSocket& socket, std::span<std::uint8_t> buffer) {
  TransferResult result;
  for (;;) {
    const ssize_t count = ::recv(socket.Descriptor(), buffer.data(), buffer.size(), 0);
    if (count > 0) {
      result.bytes = static_cast<std::size_t>(count);
    } else if (count == 0) {
      result.closed = true;
    } else if (errno == EINTR) {
      continue;
    } else {
      result.error = errno == EWOULDBLOCK ? EAGAIN : errno;
    }
    return result;
  }
}

TransferResult SendSome(const TcpSocket& socket, std::span<const std::uint8_t> bytes) {
  TransferResult result;
  for (;;) {
    // MSG_NOSIGNAL: a peer that went away is an error code here, not SIGPIPE.
    const ssize_t count = ::send(socket.Descriptor(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (count >= 0) {
      result.bytes = static_cast<std::size_t>(count);
    } else if (errno == EINTR) {
      continue;
    } else {
      result.error = errno == EWOULDBLOCK ? EAGAIN : errno;
    }
    return result;
  }
}

bool SendAll(const TcpSocket& socket, std::span<const std::uint8_t> bytes, int timeoutMilliseconds) {
  while (!bytes.empty()) {
    const TransferResult sent = SendSome(socket, bytes);
    if (sent.error == EAGAIN) {
      PollEntry entry{socket.Descriptor(), false, true};
      if (PollDescriptors({&entry, 1}, timeoutMilliseconds) <= 0) return false;
      continue;
    }
    if (sent.error != 0) return false;
    bytes = bytes.subspan(sent.bytes);
  }
  return true;
}

void ShutdownSending(const TcpSocket& socket) { ::shutdown(socket.Descriptor(), SHUT_WR); }

void ResetAndClose(TcpSocket& socket) {
  const linger abortive{1, 0};
  ::setsockopt(socket.Descriptor(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  socket.Close();
}

int PollDescriptors(std::span<PollEntry> entries, int timeoutMilliseconds) {
  std::vector<pollfd> polled(entries.size());
  for (std::size_t index = 0; index < entries.size(); ++index) {
    polled[index].fd = entries[index].descriptor;
    polled[index].events =
        static_cast<short>((entries[index].wantRead ? POLLIN : 0) | (entries[index].wantWrite ? POLLOUT : 0));
  }
  const int ready = ::poll(polled.data(), polled.size(), timeoutMilliseconds);
  if (ready < 0) return errno == EINTR ? 0 : -1;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    entries[index].readable = (polled[index].revents & POLLIN) != 0;
    entries[index].writable = (polled[index].revents & POLLOUT) != 0;
    entries[index].failed = (polled[index].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  }
  return ready;
}

WakeSignal::WakeSignal() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
  }
}

WakeSignal::~WakeSignal() {
  if (readEnd_ >= 0) ::close(readEnd_);
  if (writeEnd_ >= 0) ::close(writeEnd_);
}

void WakeSignal::Raise() {
  const char byte = 1;
  // A full pipe is already raised.
  [[maybe_unused]] const ssize_t written = ::write(writeEnd_, &byte, 1);
}

bool WakeSignal::Take() {
  bool raised = false;
  char bytes[64];
  while (::read(readEnd_, bytes, sizeof bytes) > 0) raised = true;
  return raised;
}

std::int64_t MonotonicMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace tesk::platform
