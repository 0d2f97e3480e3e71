#pragma once
// Senders and a stand-in printer for the server tests, on the loopback
// address only; every wait is bounded.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "live/job_queue.h"
#include "live/print_server.h"
#include "platform/tcp_socket.h"
#include "tests/support/temp_folder.h"

namespace tesk::live {

// No test waits longer than this for anything; a safety net, not a timing.
inline constexpr int kPatience = 60000;

class LiveClient {
 public:
  explicit LiveClient(std::uint16_t port, const std::string& address = "127.0.0.1");
  bool IsConnected() const { return socket_.IsOpen(); }
  bool Send(const testing::Bytes& bytes);
  // Reads until `count` bytes came, the server closed, or the patience ran out.
  testing::Bytes Receive(std::size_t count);
  testing::Bytes ReceiveUntilClosed() { return Receive(SIZE_MAX); }
  void EndSending();
  void Close() { socket_.Close(); }
  void Reset() { platform::ResetAndClose(socket_); }

 private:
  platform::TcpSocket socket_;
};

// Sends a whole job on a connection of its own and closes it.
bool SendJob(std::uint16_t port, const testing::Bytes& job);

// A printer on a loopback port: takes one connection, answers its first bytes
// with `reply`, and keeps everything received until the sender ends.
class RecordingPrinter {
 public:
  explicit RecordingPrinter(testing::Bytes reply);
  ~RecordingPrinter();
  std::uint16_t Port() const { return port_; }
  // What it received, once the connection has ended.
  testing::Bytes Received();

 private:
  platform::TcpSocket listener_;
  std::uint16_t port_ = 0;
  testing::Bytes reply_;
  testing::Bytes received_;
  std::thread thread_;
};

// A loopback port on which nothing listens.
std::uint16_t ClosedPort();

// A server on 127.0.0.1 and a kernel-chosen port, saving into a fresh folder.
class LiveServerFixture {
 public:
  ServerSettings Settings() const;
  void Start(const ServerSettings& settings);
  std::uint16_t Port() const { return server_->Port(); }
  // The next job reported; fails the test when none comes.
  JobReport NextJob();
  // Stops the server and returns the jobs it still reported.
  std::vector<JobReport> Stop();
  const std::filesystem::path& Folder() const { return folder_.path(); }

 private:
  testing::TempFolder folder_;
  JobQueue jobs_;
  std::unique_ptr<PrintServer> server_;
};

}  // namespace tesk::live
