#pragma once
// The virtual network printer: a raw TCP print server on its own thread. Each
// connection is one job; each job that carries print data is saved as a file
// and reported through a JobQueue, which the server closes when it stops.

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "live/job_queue.h"
#include "live/server_settings.h"
#include "platform/tcp_socket.h"

namespace tesk::live {

class PrintServer {
 public:
  PrintServer(ServerSettings settings, JobQueue& jobs);
  // Stops the server as Stop does.
  ~PrintServer();
  PrintServer(const PrintServer&) = delete;
  PrintServer& operator=(const PrintServer&) = delete;

  // Looks up the printer to forward to and binds the address, without serving
  // yet; 0, or the errno of the failure (EHOSTUNREACH: the printer's name
  // gives no address). StartFailure() then says what failed, for the user.
  int Prepare();
  // Prepares, unless done already, and starts serving; 0 or Prepare's errno.
  int Start();
  const std::string& StartFailure() const { return startFailure_; }
  // The port listened on (the kernel's choice when port 0 was asked for).
  std::uint16_t Port() const { return port_; }
  const ServerSettings& Settings() const { return settings_; }

  // Ends every job in flight with what has arrived (saved and reported),
  // closes the queue and returns when the server's thread is gone.
  void Stop();
  // Returns when the server has stopped, by Stop or by the stop descriptor.
  void Wait();

 private:
  void Serve();
  void Report(const class Connection& connection);

  ServerSettings settings_;
  JobQueue& jobs_;
  std::vector<platform::SocketAddress> printerAddresses_;
  std::string startFailure_;
  platform::TcpSocket listener_;
  platform::WakeSignal wake_;
  std::uint16_t port_ = 0;
  std::uint64_t jobsReported_ = 0;
  std::thread thread_;
};

}  // namespace tesk::live
