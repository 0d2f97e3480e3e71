#include "tests/live/live_client.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tesk::live {

LiveClient::LiveClient(std::uint16_t port, const std::string& address) {
  int error = 0;
  socket_ = platform::ConnectTcp(address, port, kPatience, error);
}

bool LiveClient::Send(const testing::Bytes& bytes) { return platform::SendAll(socket_, bytes, kPatience); }

testing::Bytes LiveClient::Receive(std::size_t count) {
  testing::Bytes received;
  std::uint8_t buffer[4096];
  while (received.size() < count) {
    platform::PollEntry entry{socket_.Descriptor(), true};
    if (platform::PollDescriptors({&entry, 1}, kPatience) <= 0) break;
    const auto result = platform::ReceiveSome(socket_, buffer);
    if (result.error == EAGAIN) continue;
    if (result.error != 0 || result.closed) break;
    received.insert(received.end(), buffer, buffer + result.bytes);
  }
  return received;
}

void LiveClient::EndSending() { platform::ShutdownSending(socket_); }

bool SendJob(std::uint16_t port, const testing::Bytes& job) {
  LiveClient client(port);
  return client.IsConnected() && client.Send(job);
}

RecordingPrinter::RecordingPrinter(testing::Bytes reply) : reply_(std::move(reply)) {
  int error = 0;
  listener_ = platform::ListenTcp("127.0.0.1", 0, 4, error);
  port_ = platform::LocalPort(listener_);
  thread_ = std::thread([this] {
    platform::PollEntry waiting{listener_.Descriptor(), true};
    if (platform::PollDescriptors({&waiting, 1}, kPatience) <= 0) return;
    std::string peer;
    int acceptError = 0;
    platform::TcpSocket connection = platform::AcceptTcp(listener_, peer, acceptError);
    if (!connection.IsOpen()) return;
    std::uint8_t buffer[65536];
    bool replied = false;
    for (;;) {
      platform::PollEntry entry{connection.Descriptor(), true};
      if (platform::PollDescriptors({&entry, 1}, kPatience) <= 0) return;
      const auto result = platform::ReceiveSome(connection, buffer);
      if (result.error == EAGAIN) continue;
      if (result.error != 0 || result.closed) return;
      received_.insert(received_.end(), buffer, buffer + result.bytes);
      if (!replied) replied = platform::SendAll(connection, reply_, kPatience);
    }
  });
}

RecordingPrinter::~RecordingPrinter() {
  if (thread_.joinable()) thread_.join();
}

testing::Bytes RecordingPrinter::Received() {
  if (thread_.joinable()) thread_.join();
  return received_;
}

std::uint16_t ClosedPort() {
  int error = 0;
  platform::TcpSocket listener = platform::ListenTcp("127.0.0.1", 0, 1, error);
  return platform::LocalPort(listener);  // closed again as the socket goes
}

ServerSettings LiveServerFixture::Settings() const {
  ServerSettings settings;
  settings.listen = {"127.0.0.1", 0};
  settings.folder = folder_.path();
  settings.idleMilliseconds = kPatience;
  return settings;
}

void LiveServerFixture::Start(const ServerSettings& settings) {
  server_ = std::make_unique<PrintServer>(settings, jobs_);
  ASSERT_EQ(server_->Start(), 0);
  ASSERT_NE(server_->Port(), 0);
}

JobReport LiveServerFixture::NextJob() {
  auto job = jobs_.PopWithin(kPatience);
  EXPECT_TRUE(job.has_value()) << "no job reported";
  return job.value_or(JobReport{});
}

std::vector<JobReport> LiveServerFixture::Stop() {
  server_->Stop();
  std::vector<JobReport> jobs;
  while (auto job = jobs_.Pop()) jobs.push_back(std::move(*job));
  return jobs;
}

}  // namespace tesk::live
