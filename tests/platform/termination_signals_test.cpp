#include "platform/termination_signals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

namespace tesk::platform {
namespace {

TEST(TerminationSignals, ArriveAsABytePerSignalAndAreTakenOnce) {
  const int descriptor = WatchTerminationSignals();
  ASSERT_GE(descriptor, 0);
  EXPECT_EQ(WatchTerminationSignals(), descriptor);  // installed once
  EXPECT_FALSE(TakeTerminationRequest());

  for (const int signal : {SIGTERM, SIGINT}) {
    ASSERT_EQ(::raise(signal), 0);  // handled: the test goes on
    pollfd ready{descriptor, POLLIN, 0};
    EXPECT_EQ(::poll(&ready, 1, 0), 1) << "signal " << signal;
    EXPECT_TRUE(TakeTerminationRequest());
    EXPECT_FALSE(TakeTerminationRequest());
  }
}

}  // namespace
}  // namespace tesk::platform
