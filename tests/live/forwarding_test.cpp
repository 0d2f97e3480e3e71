#include <gtest/gtest.h>

#include "tests/live/live_client.h"

namespace tesk::live {
namespace {

using testing::Bytes;
using testing::HexBytes;

class ForwardingTest : public ::testing::Test, public LiveServerFixture {};

// A job that asks for the printer status, turns automatic status back on,
// asks for ink and for a process ID before it prints.
const Bytes kJob = HexBytes(
    "1b 40 10 04 01 1d 61 01 10 04 07 01 1d 28 48 06 00 30 30 41 42 43 44 "
    "1d 76 30 00 01 00 02 00 80 01 0a 1d 56 00");

TEST_F(ForwardingTest, SendsEveryByteToThePrinterAndItsAnswersBack) {
  RecordingPrinter printer(HexBytes("16"));  // the printer's own status byte, not ours
  ServerSettings settings = Settings();
  settings.forward = HostPort{"127.0.0.1", printer.Port()};
  Start(settings);
  {
    LiveClient sender(Port());
    ASSERT_TRUE(sender.Send(kJob));
    sender.EndSending();
    EXPECT_EQ(sender.ReceiveUntilClosed(), HexBytes("16"));
  }
  EXPECT_EQ(printer.Received(), kJob);
  const JobReport job = NextJob();
  EXPECT_TRUE(job.forwarded);
  EXPECT_EQ(job.forwardFailure, "");
  EXPECT_EQ(testing::ReadFile(job.path), kJob);
  EXPECT_TRUE(Stop().empty());
}

TEST_F(ForwardingTest, FindsAPrinterNamedByItsHostName) {
  RecordingPrinter printer(HexBytes("16"));
  ServerSettings settings = Settings();
  // "localhost" may stand for ::1 before 127.0.0.1, where the printer listens.
  settings.forward = HostPort{"localhost", printer.Port()};
  Start(settings);
  ASSERT_TRUE(SendJob(Port(), kJob));
  EXPECT_EQ(printer.Received(), kJob);
  EXPECT_EQ(NextJob().forwardFailure, "");
  EXPECT_TRUE(Stop().empty());
}

TEST(Forwarding, APrinterNameWithoutAnAddressKeepsTheServerFromStarting) {
  JobQueue jobs;
  ServerSettings settings;
  settings.listen = {"127.0.0.1", 0};
  settings.forward = HostPort{"no..such-printer", 9100};  // an empty label: no name service is asked
  PrintServer server(settings, jobs);
  EXPECT_NE(server.Start(), 0);
  EXPECT_TRUE(server.StartFailure().starts_with("cannot find the printer no..such-printer:9100: "))
      << server.StartFailure();
}

TEST_F(ForwardingTest, APrinterOutOfReachLeavesTheJobSavedAndTheFailureReported) {
  ServerSettings settings = Settings();
  settings.forward = HostPort{"127.0.0.1", ClosedPort()};
  Start(settings);
  {
    LiveClient sender(Port());
    ASSERT_TRUE(sender.Send(kJob));
    sender.EndSending();
    // Without a printer to answer, the server does.
    EXPECT_EQ(sender.ReceiveUntilClosed(), HexBytes("12 10 00 00 00 12 37 22 41 42 43 44 00"));
  }
  const JobReport job = NextJob();
  EXPECT_TRUE(job.forwarded);
  EXPECT_TRUE(
      job.forwardFailure.starts_with("cannot connect to 127.0.0.1:" + std::to_string(settings.forward->port)))
      << job.forwardFailure;
  EXPECT_EQ(testing::ReadFile(job.path), kJob);
  EXPECT_FALSE(job.incomplete);
  EXPECT_TRUE(Stop().empty());
}

}  // namespace
}  // namespace tesk::live
