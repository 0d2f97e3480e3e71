#include "live/host_port.h"

#include <gtest/gtest.h>

namespace tesk::live {
namespace {

struct AddressCase {
  const char* name;
  const char* text;
  bool listenValid;
  const char* host;  // as listened on
  unsigned port;
  bool forwardValid;
};

const AddressCase kAddressCases[] = {
    {"BarePort", "9100", true, "127.0.0.1", 9100, false},
    {"PortZero", "0", true, "127.0.0.1", 0, false},
    {"Ipv4", "0.0.0.0:9101", true, "0.0.0.0", 9101, true},
    {"Ipv6", "[::1]:9100", true, "::1", 9100, true},
    {"HostName", "printer.local:9100", true, "printer.local", 9100, true},
    {"Ipv6WithoutBrackets", "::1:9100", false, "", 0, false},
    {"PortTooLarge", "127.0.0.1:65536", false, "", 0, false},
    {"NoPort", "127.0.0.1:", false, "", 0, false},
    {"NoHost", ":9100", false, "", 0, false},
    {"Letters", "print", false, "", 0, false},
    {"EmptyBrackets", "[]:9100", false, "", 0, false},
    {"Empty", "", false, "", 0, false},
};

class AddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressTest, ParsesAsUsersWriteIt) {
  const AddressCase& c = GetParam();
  const auto listen = ParseListenAddress(c.text);
  ASSERT_EQ(listen.has_value(), c.listenValid);
  if (listen) {
    EXPECT_EQ(listen->host, c.host);
    EXPECT_EQ(listen->port, c.port);
  }
  EXPECT_EQ(ParseForwardAddress(c.text).has_value(), c.forwardValid);
}

INSTANTIATE_TEST_SUITE_P(Addresses, AddressTest, ::testing::ValuesIn(kAddressCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatHostPort, BracketsIpv6Only) {
  EXPECT_EQ(FormatHostPort({"127.0.0.1", 9100}), "127.0.0.1:9100");
  EXPECT_EQ(FormatHostPort({"::1", 9100}), "[::1]:9100");
}

}  // namespace
}  // namespace tesk::live
