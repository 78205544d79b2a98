// Network line names: what is taken, what is refused, and that the two kinds stay apart.

#include "link/platform/networkAddress.h"

#include <gtest/gtest.h>

TEST(NetworkAddress, WellFormedAddressesGiveTheirParts) {
    auto raw = parseNetworkAddress("tcp://10.0.4.20:4001");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->protocol, NetworkProtocol::RawTcp);
    EXPECT_EQ(raw->host, "10.0.4.20");
    EXPECT_EQ(raw->port, 4001);
    auto telnet = parseNetworkAddress("rfc2217://riser-3.site.example:65535");
    ASSERT_TRUE(telnet);
    EXPECT_EQ(telnet->protocol, NetworkProtocol::Rfc2217);
    EXPECT_EQ(telnet->host, "riser-3.site.example");
    EXPECT_EQ(telnet->port, 65535);
    auto v6 = parseNetworkAddress("tcp://[::1]:7000");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");
}

TEST(NetworkAddress, IllFormedAddressesAreRefusedButStillRecognised) {
    for (const char* text :
         {"tcp://host", "tcp://host:", "tcp://:4001", "tcp://host:0", "tcp://host:65536",
          "tcp://host:40x1", "tcp://::1:7000", "tcp://a b:1", "tcp://host/x:1", "rfc2217://"}) {
        EXPECT_FALSE(parseNetworkAddress(text)) << text;
        EXPECT_TRUE(looksLikeNetworkAddress(text)) << text;
    }
    for (const char* text : {"COM1", "/dev/ttyUSB0", "udp://host:1", "TCP://host:1", ""}) {
        EXPECT_FALSE(parseNetworkAddress(text)) << text;
        EXPECT_FALSE(looksLikeNetworkAddress(text)) << text;
    }
}
