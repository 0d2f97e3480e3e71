#include "platform/tcp_socket.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace tesk::platform {
namespace {

constexpr int kPatience = 60000;

TEST(TcpSocket, ListensOnlyOnNumericAddresses) {
  int error = 0;
  EXPECT_FALSE(ListenTcp("localhost", 0, 1, error).IsOpen());
  EXPECT_EQ(error, EINVAL);
  for (const char* address : {"127.0.0.1", "::1"}) {
    TcpSocket listener = ListenTcp(address, 0, 1, error);
    if (!listener.IsOpen() && error == EADDRNOTAVAIL) continue;  // a machine without IPv6
    ASSERT_TRUE(listener.IsOpen()) << address << ": " << error;
    EXPECT_NE(LocalPort(listener), 0) << address;
  }
}

TEST(TcpSocket, AClosedPortRefusesAndAGonePeerIsAnErrorNotASignal) {
  int error = 0;
  TcpSocket listener = ListenTcp("127.0.0.1", 0, 1, error);
  ASSERT_TRUE(listener.IsOpen());
  const std::uint16_t port = LocalPort(listener);

  TcpSocket client = ConnectTcp("127.0.0.1", port, kPatience, error);
  ASSERT_TRUE(client.IsOpen()) << error;
  PollEntry waiting{listener.Descriptor(), true};
  ASSERT_EQ(PollDescriptors({&waiting, 1}, kPatience), 1);
  std::string peer;
  TcpSocket accepted = AcceptTcp(listener, peer, error);
  ASSERT_TRUE(accepted.IsOpen());
  EXPECT_TRUE(peer.starts_with("127.0.0.1:")) << peer;
  EXPECT_FALSE(AcceptTcp(listener, peer, error).IsOpen());
  EXPECT_EQ(error, EAGAIN);

  // Writing to a peer that reset must fail with a code; SIGPIPE would end the test.
  ResetAndClose(accepted);
  const std::vector<std::uint8_t> bytes(64 * 1024, 0x55);
  bool failed = false;
  for (int round = 0; round < 100 && !failed; ++round) {
    const TransferResult sent = SendSome(client, bytes);
    failed = sent.error != 0 && sent.error != EAGAIN;
    if (sent.error == EAGAIN) {
      PollEntry room{client.Descriptor(), false, true};
      PollDescriptors({&room, 1}, kPatience);
    }
  }
  EXPECT_TRUE(failed);

  listener.Close();
  EXPECT_FALSE(ConnectTcp("127.0.0.1", port, kPatience, error).IsOpen());
  EXPECT_EQ(error, ECONNREFUSED);
}

TEST(WakeSignal, WakesAPollOnceUntilRaisedAgain) {
  WakeSignal wake;
  ASSERT_TRUE(wake.IsOpen());
  EXPECT_FALSE(wake.Take());
  wake.Raise();
  wake.Raise();
  PollEntry entry{wake.Descriptor(), true};
  EXPECT_EQ(PollDescriptors({&entry, 1}, kPatience), 1);
  EXPECT_TRUE(wake.Take());
  EXPECT_FALSE(wake.Take());
}

}  // namespace
}  // namespace tesk::platform
