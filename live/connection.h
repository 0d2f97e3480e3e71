#pragma once
// One sender's connection: its job being recorded, the answers owed to it, and
// when forwarding, the link to the real printer with the bytes in both
// directions. Driven by the server's poll loop; no call here waits.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "live/job_recorder.h"
#include "live/job_report.h"
#include "live/server_settings.h"
#include "platform/tcp_socket.h"

namespace tesk::live {

class Connection {
 public:
  // `printerAddresses`: where the printer of settings.forward was found, tried in turn.
  Connection(platform::TcpSocket sender, std::string peer, const ServerSettings& settings,
             std::span<const platform::SocketAddress> printerAddresses, std::int64_t now);

  // What to wait for on the sender's and the printer's sockets.
  void PreparePoll(platform::PollEntry& sender, platform::PollEntry& printer) const;
  // Moves bytes for what the poll found ready and checks the times.
  void Advance(const platform::PollEntry& sender, const platform::PollEntry& printer,
               std::span<std::uint8_t> scratch, std::int64_t now);
  // When Advance must run again even if nothing becomes ready.
  std::int64_t Deadline() const;
  // The server is stopping: the job ends with what has arrived.
  void Abandon();

  bool IsOver() const { return over_; }
  bool IsJob() const { return recorder_.IsJob(); }
  JobReport Report() const;

 private:
  enum class Forward { None, Connecting, Open, SendingDone, Failed, Closed };

  void ReadSender(std::span<std::uint8_t> scratch, std::int64_t now);
  void EndReading(JobEnd end, std::int64_t now);
  void WriteSender();
  // Tries the printer's next address; when none is left, forwarding fails with `error`.
  void ConnectPrinter(std::int64_t now, int error);
  void FinishConnecting(std::int64_t now);
  void ReadPrinter(std::span<std::uint8_t> scratch, std::int64_t now);
  void WritePrinter(std::int64_t now);
  void FailForward(const std::string& reason, int error);
  void CheckOver(std::int64_t now);
  bool PrinterAnswers() const { return forward_ == Forward::Connecting || forward_ == Forward::Open; }

  const ServerSettings& settings_;
  platform::TcpSocket sender_;
  platform::TcpSocket printer_;
  std::span<const platform::SocketAddress> printerAddresses_;
  std::size_t nextPrinterAddress_ = 0;
  std::string peer_;
  JobRecorder recorder_;
  bool reading_ = true;
  bool over_ = false;
  JobEnd end_ = JobEnd::SenderClosed;
  std::int64_t lastSenderActivity_;
  std::int64_t lastPrinterActivity_;
  std::int64_t lingerUntil_ = 0;  // after the job: how long replies may still come

  std::vector<std::uint8_t> toSender_;
  std::size_t toSenderSent_ = 0;
  std::vector<std::uint8_t> heldAnswers_;  // our answers, while the printer may still give its own
  std::vector<std::uint8_t> toPrinter_;
  std::size_t toPrinterSent_ = 0;
  Forward forward_ = Forward::None;
  std::string forwardFailure_;
};

}  // namespace tesk::live
