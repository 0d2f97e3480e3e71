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

TEST(ListenEndToEnd, ConvertsEachJobAsItsSavedFileAndEndsOnCtrlC) {
  TempFolder folder;
  const fs::path jobs = folder / "jobs";
  const std::string start = "sh -c '" + std::string(TESK_CLI_PATH) + " --listen 127.0.0.1:0 --out " + jobs.string() +
                            " --json --keep all >" + (folder / "out").string() + " 2>" + (folder / "err").string() +
                            " & echo $! >" + (folder / "pid").string() + "; wait $!; echo $? >" +
                            (folder / "status").string() + "' >/dev/null 2>&1 &";
  ASSERT_EQ(testing::RunCommand(start), 0);
  const std::string err = AwaitText(folder / "err", "(Ctrl-C ends)");
  const std::size_t at = err.find("127.0.0.1:");
  ASSERT_NE(at, std::string::npos) << err;
  const auto port = static_cast<std::uint16_t>(std::stoi(err.substr(at + 10)));

  const Bytes sample = testing::ReadFile(fs::path(TESK_SAMPLES_DIR) / "receipt.prn");
  Bytes askingFirst = testing::HexBytes("10 04 01");
  askingFirst.insert(askingFirst.end(), sample.begin(), sample.end());
  ASSERT_TRUE(SendJob(port, sample));
  ASSERT_TRUE(SendJob(port, askingFirst));
  AwaitText(folder / "out", "\"number\":2");
  ASSERT_EQ(testing::RunCommand("kill -INT $(cat " + (folder / "pid").string() + ")"), 0);
  EXPECT_EQ(AwaitText(folder / "status", "\n"), "0\n");
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

TEST(ListenEndToEnd, UsageErrors) {
  for (const char* arguments : {"--listen 9100 job.prn", "--listen 9100", "--listen 99999 --out x",
                                "--out x job.prn", "--forward 127.0.0.1 --listen 0 --out x", "--idle 0 --listen 0 --out x"}) {
    int status = -1;
    const std::string output = Cli(arguments, &status);
    EXPECT_EQ(status, 2) << arguments << "\n" << output;
  }
}

}  // namespace
}  // namespace tesk
