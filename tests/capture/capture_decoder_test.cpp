#include "capture/capture_decoder.h"

#include <gtest/gtest.h>

namespace tesk::capture {
namespace {

TEST(CaptureDecoder, TextWithoutCaptureGivesNothing) {
  std::uint8_t data[16] = {};
  CaptureDecodeTarget target{data, 0, 0, false};
  EXPECT_EQ(DecodeCaptureText("no capture here", target), 0);
  EXPECT_EQ(target.dataLength, 0);
}

}  // namespace
}  // namespace tesk::capture
