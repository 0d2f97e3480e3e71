#include "live/connection.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

#include "platform/file_system.h"
#include "platform/file_times.h"

namespace tesk::live {
namespace {

// While this much waits for a slow printer, the sender is not read: the
// printer sets the pace, as it would without us in between.
constexpr std::size_t kMostBytesForPrinter = 4 * 1024 * 1024;
// Sent bytes are dropped from the front of the printer buffer in steps this large.
constexpr std::size_t kCompactionStep = 1024 * 1024;
// A sender that asks without ever reading the answers gets no more once this
// many wait for it.
constexpr std::size_t kMostAnswersOwed = 64 * 1024;

}  // namespace

Connection::Connection(platform::TcpSocket sender, std::string peer, const ServerSettings& settings,
                       std::span<const platform::SocketAddress> printerAddresses, std::int64_t now)
    : settings_(settings),
      sender_(std::move(sender)),
      printerAddresses_(printerAddresses),
      peer_(std::move(peer)),
      recorder_(settings.folder, platform::CurrentUnixTime(), settings.answers),
      lastSenderActivity_(now),
      lastPrinterActivity_(now) {
  if (settings.forward) ConnectPrinter(now, EHOSTUNREACH);
}

void Connection::ConnectPrinter(std::int64_t now, int error) {
  printer_.Close();
  while (nextPrinterAddress_ < printerAddresses_.size()) {
    printer_ = platform::StartConnectTcp(printerAddresses_[nextPrinterAddress_++], error);
    if (printer_.IsOpen()) {
      forward_ = Forward::Connecting;
      lastPrinterActivity_ = now;
      return;
    }
  }
  FailForward("cannot connect to", error);
}

void Connection::PreparePoll(platform::PollEntry& sender, platform::PollEntry& printer) const {
  const std::size_t forPrinter = toPrinter_.size() - toPrinterSent_;
  sender.descriptor = sender_.IsOpen() ? sender_.Descriptor() : -1;
  sender.wantRead = reading_ && forPrinter < kMostBytesForPrinter;
  sender.wantWrite = toSenderSent_ < toSender_.size();
  printer.descriptor = printer_.IsOpen() ? printer_.Descriptor() : -1;
  printer.wantRead = forward_ == Forward::Open || forward_ == Forward::SendingDone;
  printer.wantWrite = forward_ == Forward::Connecting || (forward_ == Forward::Open && forPrinter > 0);
}

void Connection::Advance(const platform::PollEntry& sender, const platform::PollEntry& printer,
                         std::span<std::uint8_t> scratch, std::int64_t now) {
  if (over_) return;
  if (forward_ == Forward::Connecting && (printer.writable || printer.failed)) FinishConnecting(now);
  if (reading_ && (sender.readable || sender.failed)) ReadSender(scratch, now);
  if ((forward_ == Forward::Open || forward_ == Forward::SendingDone) && (printer.readable || printer.failed))
    ReadPrinter(scratch, now);
  if (forward_ == Forward::Open) WritePrinter(now);
  if (sender_.IsOpen() && toSenderSent_ < toSender_.size()) WriteSender();

  const std::size_t forPrinter = toPrinter_.size() - toPrinterSent_;
  if (reading_) {
    if (forPrinter >= kMostBytesForPrinter)
      lastSenderActivity_ = now;  // held back by the printer, not silent
    else if (now - lastSenderActivity_ >= settings_.idleMilliseconds)
      EndReading(JobEnd::IdleTimeout, now);
  }
  const bool printerOwesProgress =
      forward_ == Forward::Connecting || (forward_ == Forward::Open && forPrinter > 0);
  if (printerOwesProgress && now - lastPrinterActivity_ >= settings_.printerPatienceMilliseconds) {
    if (forward_ == Forward::Connecting && nextPrinterAddress_ < printerAddresses_.size())
      ConnectPrinter(now, ETIMEDOUT);
    else
      FailForward(forward_ == Forward::Connecting ? "no connection to" : "no progress sending to", ETIMEDOUT);
  }
  CheckOver(now);
}

void Connection::ReadSender(std::span<std::uint8_t> scratch, std::int64_t now) {
  const platform::TransferResult received = platform::ReceiveSome(sender_, scratch);
  if (received.error == EAGAIN) return;
  if (received.error != 0) return EndReading(JobEnd::SenderReset, now);
  if (received.closed) return EndReading(JobEnd::SenderClosed, now);
  lastSenderActivity_ = now;

  const std::uint64_t room = settings_.jobByteCap - recorder_.Received();
  const auto taken = scratch.first(static_cast<std::size_t>(std::min<std::uint64_t>(received.bytes, room)));
  std::vector<std::uint8_t> notSent;
  std::vector<std::uint8_t>& answers = forward_ == Forward::Open             ? notSent  // the printer answers
                                       : forward_ == Forward::Connecting     ? heldAnswers_
                                       : toSender_.size() < kMostAnswersOwed ? toSender_
                                                                             : notSent;
  recorder_.Take(taken, answers);
  if (PrinterAnswers()) toPrinter_.insert(toPrinter_.end(), taken.begin(), taken.end());
  if (taken.size() < received.bytes) EndReading(JobEnd::OverCap, now);
}

void Connection::EndReading(JobEnd end, std::int64_t now) {
  reading_ = false;
  end_ = end;
  recorder_.Finish();
  lingerUntil_ = now + settings_.idleMilliseconds;
  // Only a sender that closed in order is still listening for answers.
  if (end != JobEnd::SenderClosed) {
    sender_.Close();
    toSender_.clear();
    toSenderSent_ = 0;
  }
}

void Connection::WriteSender() {
  const auto waiting = std::span<const std::uint8_t>(toSender_).subspan(toSenderSent_);
  const platform::TransferResult sent = platform::SendSome(sender_, waiting);
  if (sent.error == EAGAIN) return;
  if (sent.error != 0) {
    // The sender is gone; reading tells the job how it ended.
    toSender_.clear();
    toSenderSent_ = 0;
    if (!reading_) sender_.Close();
    return;
  }
  toSenderSent_ += sent.bytes;
  if (toSenderSent_ == toSender_.size()) {
    toSender_.clear();
    toSenderSent_ = 0;
  }
}

void Connection::FinishConnecting(std::int64_t now) {
  // A name can stand for several addresses ("localhost": ::1 and 127.0.0.1);
  // the printer may listen on only one of them.
  if (const int error = platform::ConnectionError(printer_); error != 0) return ConnectPrinter(now, error);
  forward_ = Forward::Open;
  lastPrinterActivity_ = now;
  heldAnswers_.clear();  // the printer answers for itself
}

void Connection::ReadPrinter(std::span<std::uint8_t> scratch, std::int64_t now) {
  const platform::TransferResult received = platform::ReceiveSome(printer_, scratch);
  if (received.error == EAGAIN) return;
  const bool moreToSend = reading_ || toPrinterSent_ < toPrinter_.size();
  if (received.error != 0 || received.closed) {
    if (forward_ == Forward::Open && moreToSend)
      return FailForward("the connection was closed by", received.error);
    forward_ = Forward::Closed;
    printer_.Close();
    return;
  }
  lastPrinterActivity_ = now;
  if (!reading_) lingerUntil_ = now + settings_.idleMilliseconds;
  if (sender_.IsOpen()) toSender_.insert(toSender_.end(), scratch.begin(), scratch.begin() + received.bytes);
}

void Connection::WritePrinter(std::int64_t now) {
  if (toPrinterSent_ == toPrinter_.size()) return;
  const auto waiting = std::span<const std::uint8_t>(toPrinter_).subspan(toPrinterSent_);
  const platform::TransferResult sent = platform::SendSome(printer_, waiting);
  if (sent.error == EAGAIN) return;
  if (sent.error != 0) return FailForward("cannot send to", sent.error);
  toPrinterSent_ += sent.bytes;
  lastPrinterActivity_ = now;
  if (toPrinterSent_ == toPrinter_.size()) {
    toPrinter_.clear();
    toPrinterSent_ = 0;
  } else if (toPrinterSent_ >= kCompactionStep) {
    toPrinter_.erase(toPrinter_.begin(), toPrinter_.begin() + static_cast<std::ptrdiff_t>(toPrinterSent_));
    toPrinterSent_ = 0;
  }
}

void Connection::FailForward(const std::string& reason, int error) {
  forwardFailure_ = reason + " " + FormatHostPort(*settings_.forward);
  if (error != 0) forwardFailure_ += ": " + platform::ErrorText(error);
  forward_ = Forward::Failed;
  printer_.Close();
  toPrinter_.clear();
  toPrinterSent_ = 0;
  // The printer never answered these queries, so the sender gets ours.
  if (sender_.IsOpen()) toSender_.insert(toSender_.end(), heldAnswers_.begin(), heldAnswers_.end());
  heldAnswers_.clear();
}

void Connection::CheckOver(std::int64_t now) {
  if (reading_) return;
  if (forward_ == Forward::Open && toPrinterSent_ == toPrinter_.size()) {
    // Everything is through: the printer sees the job end as the sender ended it.
    platform::ShutdownSending(printer_);
    forward_ = Forward::SendingDone;
    lingerUntil_ = now + settings_.idleMilliseconds;
  }
  const bool lingerOver = now >= lingerUntil_;
  const bool printerDone = forward_ == Forward::None || forward_ == Forward::Failed ||
                           forward_ == Forward::Closed || (forward_ == Forward::SendingDone && lingerOver);
  const bool senderDone = !sender_.IsOpen() || toSender_.empty() || lingerOver;
  if (printerDone && senderDone) {
    over_ = true;
    sender_.Close();
    printer_.Close();
  }
}

std::int64_t Connection::Deadline() const {
  if (over_) return std::numeric_limits<std::int64_t>::max();
  std::int64_t deadline = reading_ ? lastSenderActivity_ + settings_.idleMilliseconds : lingerUntil_;
  const bool printerOwesProgress =
      forward_ == Forward::Connecting || (forward_ == Forward::Open && toPrinterSent_ < toPrinter_.size());
  if (printerOwesProgress)
    deadline = std::min(deadline, lastPrinterActivity_ + settings_.printerPatienceMilliseconds);
  return deadline;
}

void Connection::Abandon() {
  if (over_) return;
  if (reading_) EndReading(JobEnd::ServerStopped, 0);
  if (toPrinterSent_ < toPrinter_.size() || forward_ == Forward::Connecting)
    FailForward("stopped before everything was sent to", 0);
  over_ = true;
  sender_.Close();
  printer_.Close();
}

JobReport Connection::Report() const {
  JobReport report;
  report.peer = peer_;
  report.path = recorder_.Path();
  report.bytes = recorder_.Saved();
  report.end = end_;
  report.incomplete = end_ == JobEnd::SenderReset || end_ == JobEnd::OverCap ||
                      end_ == JobEnd::ServerStopped || recorder_.EndsInsideCommand();
  report.saveError = recorder_.SaveError();
  report.queriesAnswered = recorder_.QueriesAnswered();
  report.forwarded = settings_.forward.has_value();
  report.forwardFailure = forwardFailure_;
  return report;
}

}  // namespace tesk::live
