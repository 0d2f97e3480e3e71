#include "live/print_server.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "live/connection.h"
#include "platform/file_system.h"

namespace tesk::live {
namespace {

// Senders beyond the connection limit wait here until a job ends.
constexpr int kBacklog = 128;
constexpr std::size_t kReceiveChunk = 256 * 1024;
// The loop looks at the clock at least this often.
constexpr std::int64_t kLongestPoll = 1000;
// After a failed accept (out of descriptors) the listener rests this long, so
// the loop does not spin on a connection it cannot take yet.
constexpr std::int64_t kAcceptRest = 100;

}  // namespace

PrintServer::PrintServer(ServerSettings settings, JobQueue& jobs)
    : settings_(std::move(settings)), jobs_(jobs) {}

PrintServer::~PrintServer() { Stop(); }

int PrintServer::Prepare() {
  if (listener_.IsOpen()) return 0;
  if (!wake_.IsOpen()) {
    startFailure_ =
        "cannot listen on " + FormatHostPort(settings_.listen) + ": " + platform::ErrorText(EMFILE);
    return EMFILE;
  }
  // Looked up here, once: a lookup on the server's thread would hold every
  // connection up while the name service answers, and a name that is wrong is
  // best told before the first job comes.
  std::string message;
  if (settings_.forward &&
      !platform::ResolveTcp(settings_.forward->host, settings_.forward->port, printerAddresses_, message)) {
    startFailure_ = "cannot find the printer " + FormatHostPort(*settings_.forward) + ": " + message;
    return EHOSTUNREACH;
  }
  int error = 0;
  listener_ = platform::ListenTcp(settings_.listen.host, settings_.listen.port, kBacklog, error);
  if (!listener_.IsOpen()) {
    startFailure_ =
        "cannot listen on " + FormatHostPort(settings_.listen) + ": " + platform::ErrorText(error);
    return error;
  }
  port_ = platform::LocalPort(listener_);
  return 0;
}

int PrintServer::Start() {
  if (const int error = Prepare(); error != 0) return error;
  if (!thread_.joinable()) thread_ = std::thread([this] { Serve(); });
  return 0;
}

void PrintServer::Stop() {
  wake_.Raise();
  Wait();
}

void PrintServer::Wait() {
  if (thread_.joinable()) thread_.join();
}

void PrintServer::Report(const Connection& connection) {
  if (!connection.IsJob()) return;  // only status queries: nothing to save or convert
  JobReport report = connection.Report();
  report.number = ++jobsReported_;
  jobs_.Push(std::move(report));
}

void PrintServer::Serve() {
  std::vector<std::unique_ptr<Connection>> connections;
  std::vector<std::uint8_t> scratch(kReceiveChunk);
  std::vector<platform::PollEntry> entries;
  constexpr std::size_t kFirstConnectionEntry = 3;
  const std::size_t limit = static_cast<std::size_t>(std::max(1, settings_.connectionLimit));
  std::int64_t acceptRestUntil = 0;

  for (;;) {
    entries.assign(kFirstConnectionEntry + 2 * connections.size(), platform::PollEntry{});
    entries[0] = {wake_.Descriptor(), true};
    entries[1] = {settings_.stopDescriptor, true};
    std::int64_t now = platform::MonotonicMilliseconds();
    const bool resting = now < acceptRestUntil;
    entries[2] = {connections.size() < limit && !resting ? listener_.Descriptor() : -1, true};
    std::int64_t deadline = resting ? acceptRestUntil : std::numeric_limits<std::int64_t>::max();
    for (std::size_t index = 0; index < connections.size(); ++index) {
      connections[index]->PreparePoll(entries[kFirstConnectionEntry + 2 * index],
                                      entries[kFirstConnectionEntry + 2 * index + 1]);
      deadline = std::min(deadline, connections[index]->Deadline());
    }
    const int timeout = connections.empty() && !resting
                            ? -1
                            : static_cast<int>(std::clamp<std::int64_t>(deadline - now, 0, kLongestPoll));
    if (platform::PollDescriptors(entries, timeout) < 0) break;
    if (entries[0].readable || entries[1].readable) break;

    now = platform::MonotonicMilliseconds();
    for (std::size_t index = 0; index < connections.size(); ++index)
      connections[index]->Advance(entries[kFirstConnectionEntry + 2 * index],
                                  entries[kFirstConnectionEntry + 2 * index + 1], scratch, now);
    std::erase_if(connections, [this](const std::unique_ptr<Connection>& connection) {
      if (!connection->IsOver()) return false;
      Report(*connection);
      return true;
    });
    while (entries[2].readable && connections.size() < limit) {
      std::string peer;
      int error = 0;
      platform::TcpSocket sender = platform::AcceptTcp(listener_, peer, error);
      if (!sender.IsOpen()) {
        if (error != EAGAIN && error != ECONNABORTED) acceptRestUntil = now + kAcceptRest;
        break;
      }
      connections.push_back(std::make_unique<Connection>(std::move(sender), std::move(peer), settings_,
                                                         printerAddresses_, now));
    }
  }

  for (const auto& connection : connections) {
    connection->Abandon();
    Report(*connection);
  }
  listener_.Close();
  jobs_.Close();
}

}  // namespace tesk::live
