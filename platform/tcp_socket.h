#pragma once
// TCP over plain POSIX sockets, for the print server and its clients: every
// socket is non-blocking, and a program waits for them with PollDescriptors.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tesk::platform {

// A socket descriptor, closed with its owner.
class TcpSocket {
 public:
  TcpSocket() = default;
  explicit TcpSocket(int descriptor) : descriptor_(descriptor) {}
  ~TcpSocket();
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  bool IsOpen() const { return descriptor_ >= 0; }
  int Descriptor() const { return descriptor_; }
  void Close();

 private:
  int descriptor_ = -1;
};

// Listens on a numeric IPv4 or IPv6 address; port 0 lets the kernel choose.
// A closed socket and `error` (errno, or EINVAL for an address that is not
// numeric) on failure.
TcpSocket ListenTcp(const std::string& address, std::uint16_t port, int backlog, int& error);

// The port a socket is bound to; 0 when it cannot be read.
std::uint16_t LocalPort(const TcpSocket& socket);

// Takes one waiting connection; closed with EAGAIN in `error` when none waits.
// `peer` receives the sender's address as "address:port".
TcpSocket AcceptTcp(const TcpSocket& listener, std::string& peer, int& error);

// One address a connection can be made to, as the name service gave it.
struct SocketAddress {
  std::array<std::uint8_t, 128> bytes{};
  std::uint32_t length = 0;
};

// Every address of a host name or numeric address, in the order to try them.
// Looking a name up may wait seconds for the name service: a server does it
// once, before it serves. False with `message` set when there is none.
bool ResolveTcp(const std::string& host, std::uint16_t port, std::vector<SocketAddress>& addresses,
                std::string& message);

// Starts a connection; it never waits. The socket turns writable once the
// attempt is over; ConnectionError then tells how it went.
TcpSocket StartConnectTcp(const SocketAddress& address, int& error);
// The same to the first address of a host name or numeric address, for clients.
TcpSocket StartConnectTcp(const std::string& host, std::uint16_t port, int& error);
// The pending error of a socket (SO_ERROR): 0 once a connection is made.
int ConnectionError(const TcpSocket& socket);

// Connects and waits at most `timeoutMilliseconds`; for clients that want one
// connection and nothing else to do meanwhile.
TcpSocket ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMilliseconds, int& error);

struct TransferResult {
  std::size_t bytes = 0;
  bool closed = false;  // the other side closed (receive only)
  int error = 0;        // errno; EAGAIN when the socket is not ready
};

TransferResult ReceiveSome(const TcpSocket& socket, std::span<std::uint8_t> buffer);
TransferResult SendSome(const TcpSocket& socket, std::span<const std::uint8_t> bytes);
// Sends everything, waiting for room at most `timeoutMilliseconds` at a time.
bool SendAll(const TcpSocket& socket, std::span<const std::uint8_t> bytes, int timeoutMilliseconds);

// Ends the sending direction (FIN); the socket can still receive.
void ShutdownSending(const TcpSocket& socket);
// Closes so that the other side sees a reset instead of an orderly end.
void ResetAndClose(TcpSocket& socket);

struct PollEntry {
  int descriptor = -1;
  bool wantRead = false;
  bool wantWrite = false;
  // Filled in by PollDescriptors.
  bool readable = false;
  bool writable = false;
  bool failed = false;  // error or hang-up: reading or writing will tell which
};

// Waits until an entry is ready or the time is over (-1: no limit). The number
// of entries ready; 0 when interrupted by a signal; -1 on error.
int PollDescriptors(std::span<PollEntry> entries, int timeoutMilliseconds);

// A descriptor that one thread makes readable to wake another's poll.
class WakeSignal {
 public:
  WakeSignal();
  ~WakeSignal();
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  bool IsOpen() const { return readEnd_ >= 0; }
  int Descriptor() const { return readEnd_; }
  void Raise();
  // Takes what was raised; true when anything was.
  bool Take();

 private:
  int readEnd_ = -1;
  int writeEnd_ = -1;
};

// A clock that never goes back, in milliseconds.
std::int64_t MonotonicMilliseconds();

}  // namespace tesk::platform
