// tesk-cli --listen as a user runs it: jobs sent over the loopback address are
// saved, converted as the saved files would be, and Ctrl-C ends it.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/tcp_socket.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::TempFolder;

constexpr int kPatience = 60000;

// Waits, within the patience, until the file holds `text`; its content then.
std::string AwaitText(const fs::path& file, const std::string& text) {
  std::string content;
  for (int round = 0; round < kPatience / 20; ++round) {
    const Bytes bytes = fs::exists(file) ? testing::ReadFile(file) : Bytes();
    content.assign(bytes.begin(), bytes.end());
    if (content.find(text) != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return content;
}

// Sends a job and reads the answers until the server closes, as a host that
// asks for status does; closing with answers unread would reset the connection.
bool SendJob(std::uint16_t port, const Bytes& job) {
  int error = 0;
  platform::TcpSocket socket = platform::ConnectTcp("127.0.0.1", port, kPatience, error);
  if (!socket.IsOpen() || !platform::SendAll(socket, job, kPatience)) return false;
  platform::ShutdownSending(socket);
  std::uint8_t answers[64];
  for (;;) {
    platform::PollEntry entry{socket.Descriptor(), true};
    if (platform::PollDescriptors({&entry, 1}, kPatience) <= 0) return false;
    const platform::TransferResult received = platform::ReceiveSome(socket, answers);
    if (received.closed) return true;
    if (received.error != 0 && received.error != EAGAIN) return false;
  }
}

// tesk-cli --listen on a kernel-chosen loopback port, run in the background
// as a user runs it in a terminal; Interrupt() is the user's Ctrl-C.
class ListeningCli {
 public:
  ListeningCli(const TempFolder& folder, const std::string& options) : folder_(folder) {
    const std::string start = "sh -c '" + std::string(TESK_CLI_PATH) + " --listen 127.0.0.1:0 " + options +
                              " >" + (folder / "out").string() + " 2>" + (folder / "err").string() +
                              " & echo $! >" + (folder / "pid").string() + "; wait $!; echo $? >" +
                              (folder / "status").string() + "' >/dev/null 2>&1 &";
    if (testing::RunCommand(start) != 0) return;
    const std::string err = AwaitText(folder / "err", "(Ctrl-C ends)");
    if (const std::size_t at = err.find("127.0.0.1:"); at != std::string::npos)
      port_ = static_cast<std::uint16_t>(std::stoi(err.substr(at + 10)));
  }
  ~ListeningCli() {
    if (port_ != 0 && !interrupted_) Interrupt();
  }
  std::uint16_t Port() const { return port_; }
  // Sends Ctrl-C; the exit status, as the shell prints it.
  std::string Interrupt() {
    interrupted_ = true;
    if (testing::RunCommand("kill -INT $(cat " + (folder_ / "pid").string() + ")") != 0) return "";
    return AwaitText(folder_ / "status", "\n");
  }

 private:
  const TempFolder& folder_;
  std::uint16_t port_ = 0;
  bool interrupted_ = false;
};

TEST(ListenEndToEnd, ConvertsEachJobAsItsSavedFileAndEndsOnCtrlC) {
  TempFolder folder;
  const fs::path jobs = folder / "jobs";
  ListeningCli cli(folder, "--out " + jobs.string() + " --json --keep all");
  const std::uint16_t port = cli.Port();
  ASSERT_NE(port, 0);

  const Bytes sample = testing::ReadFile(fs::path(TESK_SAMPLES_DIR) / "receipt.prn");
  Bytes askingFirst = testing::HexBytes("10 04 01");
  askingFirst.insert(askingFirst.end(), sample.begin(), sample.end());
  ASSERT_TRUE(SendJob(port, sample));
  ASSERT_TRUE(SendJob(port, askingFirst));
  AwaitText(folder / "out", "\"number\":2");
  EXPECT_EQ(cli.Interrupt(), "0\n");
  EXPECT_NE(AwaitText(folder / "err", "stopped").find("tesk-cli: stopped"), std::string::npos);

  const std::string out = AwaitText(folder / "out", "\"number\":2");
  const std::size_t lineEnd = out.find('\n');
  ASSERT_NE(lineEnd, std::string::npos) << out;
  const std::string first = out.substr(0, lineEnd);
  const std::string second = out.substr(lineEnd + 1);
  // Each line tells what converting the saved file by name tells.
  fs::create_directory(folder / "by-name");
  for (const std::string& line : {first, second}) {
    const std::size_t nameStart = line.find("job-");
    const std::string name = line.substr(nameStart, line.find('"', nameStart) - nameStart);
    fs::copy_file(jobs / name, folder / "by-name" / name);
    const std::string direct = Cli("--json --keep all " + (folder / "by-name" / name).string());
    EXPECT_EQ(FiguresOf(line), FiguresOf(direct)) << line;
    EXPECT_NE(line.find("\"message\":null"), std::string::npos) << line;
    EXPECT_NE(line.find("\"end\":\"sender closed\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"incomplete\":false"), std::string::npos) << line;
  }
  EXPECT_NE(second.find("\"queriesAnswered\":1"), std::string::npos) << second;
  int saved = 0;
  for (const auto& entry : fs::directory_iterator(jobs)) {
    if (entry.path().extension() != ".prn") continue;
    ++saved;
    EXPECT_EQ(testing::ReadFile(entry.path()), sample) << entry.path();
  }
  EXPECT_EQ(saved, 2);
}

TEST(ListenEndToEnd, AnswersStatusQueriesWithTheProfilesBytes) {
  TempFolder folder;
  // A printer out of paper, with a name of its own; the rest as the baseline.
  testing::WriteFile(folder / "empty.json",
                     R"({"status": {"printerStatus": 22, "paperRollSensor": 114, "paperSensor": 3,
                                    "automaticStatus": [24, 0, 12, 0]},
                        "identity": {"modelId": 7, "modelName": "Bench 7"}})");
  ListeningCli cli(folder,
                   "--out " + (folder / "jobs").string() + " --profile " + (folder / "empty.json").string());
  ASSERT_NE(cli.Port(), 0);
  int error = 0;
  platform::TcpSocket socket = platform::ConnectTcp("127.0.0.1", cli.Port(), kPatience, error);
  ASSERT_TRUE(socket.IsOpen());
  // Then automatic status back on and off, a drawer pulse and ink status.
  ASSERT_TRUE(platform::SendAll(socket,
                                testing::HexBytes("10 04 01 10 04 02 10 04 04 1d 72 01 1d 49 01 1d 49 43 "
                                                  "1d 61 0f 1d 61 00 10 14 01 00 02 10 04 07 01"),
                                kPatience));
  platform::ShutdownSending(socket);
  Bytes answers;
  for (bool closed = false; !closed;) {
    platform::PollEntry entry{socket.Descriptor(), true};
    ASSERT_GT(platform::PollDescriptors({&entry, 1}, kPatience), 0);
    std::uint8_t piece[64];
    const platform::TransferResult received = platform::ReceiveSome(socket, piece);
    ASSERT_TRUE(received.error == 0 || received.error == EAGAIN) << received.error;
    answers.insert(answers.end(), piece, piece + received.bytes);
    closed = received.closed;
  }
  EXPECT_EQ(answers, testing::HexBytes("16 12 72 03 07 5f 42 65 6e 63 68 20 37 00 18 00 0c 00 12"));
  EXPECT_EQ(cli.Interrupt(), "0\n");
  EXPECT_FALSE(fs::exists(folder / "jobs") && !fs::is_empty(folder / "jobs"))
      << "a query-only connection was saved";
}

TEST(ListenEndToEnd, UsageErrors) {
  for (const char* arguments :
       {"--listen 9100 job.prn", "--listen 9100", "--listen 99999 --out x", "--out x job.prn",
        "--forward 127.0.0.1 --listen 0 --out x", "--idle 0 --listen 0 --out x"}) {
    int status = -1;
    const std::string output = Cli(arguments, &status);
    EXPECT_EQ(status, 2) << arguments << "\n" << output;
  }
  // A printer name that gives no address is told at once, before any job comes.
  TempFolder folder;
  int status = -1;
  const std::string output = Cli("--listen 127.0.0.1:0 --out " + (folder / "jobs").string() +
                                     " --forward no..such-printer:9100 2>&1",
                                 &status);
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find("tesk-cli: cannot find the printer no..such-printer:9100: "), std::string::npos)
      << output;
  EXPECT_FALSE(fs::exists(folder / "jobs")) << "the folder was made for a server that never ran";
}

}  // namespace
}  // namespace tesk
