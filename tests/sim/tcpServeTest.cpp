// The simulated network served over TCP: the same replies as the network gives directly, one
// client at a time, and a connection that breaks leaves the next client served as usual.

#include "link/catalogue.h"
#include "rawTcpClient.h"
#include "sim/tcpSimulator.h"
#include "simTestSupport.h"

using namespace simtest;

namespace {

class OverTcp : public ::testing::Test {
protected:
    void SetUp() override {
        std::optional<std::string> address = simulator.start("127.0.0.1", 0);
        ASSERT_TRUE(address) << simulator.error();
        EXPECT_EQ(*address, "tcp://127.0.0.1:" + std::to_string(simulator.port()));
    }

    sim::TcpSimulator simulator{networkFrom(kSmallNetwork)};
};

TEST_F(OverTcp, RepliesAreThoseOfTheNetworkItself) {
    sim::NetworkSimulator direct(networkFrom(kSmallNetwork));
    RawTcpClient client(simulator.port());
    ASSERT_TRUE(client.connected());
    for (const char* command : {cmd::StatusPoll, cmd::UnitInfo}) {
        ASSERT_TRUE(client.send(request("0500", command) + "\r"));
        EXPECT_EQ(client.frame(), ask(direct, "0500", command)) << command;
    }
    ASSERT_TRUE(client.send(request("0514", cmd::StatusPoll) + "\r")); // nobody there
    EXPECT_EQ(client.frame(200), "");
    EXPECT_EQ(simulator.unit("c1")->commands.size(), 2u);
}

TEST_F(OverTcp, ASecondClientIsTurnedAwayWhileTheFirstIsServed) {
    auto first = std::make_unique<RawTcpClient>(simulator.port());
    ASSERT_TRUE(first->connected());
    ASSERT_TRUE(first->send(request("0500", cmd::StatusPoll) + "\r"));
    EXPECT_FALSE(first->frame().empty());

    RawTcpClient second(simulator.port());
    EXPECT_TRUE(second.closedByServer());
    EXPECT_EQ(simulator.clientsTurnedAway(), 1u);

    first.reset();
    RawTcpClient third(simulator.port());
    ASSERT_TRUE(third.send(request("0500", cmd::StatusPoll) + "\r"));
    EXPECT_FALSE(third.frame().empty());
    EXPECT_EQ(simulator.clientsServed(), 2u);
}

TEST_F(OverTcp, ADroppedConnectionForgetsItsHalfRequest) {
    RawTcpClient first(simulator.port());
    std::string whole = request("0500", cmd::StatusPoll) + "\r";
    ASSERT_TRUE(first.send(whole.substr(0, 6)));
    // The serving thread must see the connection before it is dropped.
    for (int i = 0; i < 200 && simulator.clientsServed() == 0; ++i)
        usleep(1000);
    simulator.dropClient();
    EXPECT_TRUE(first.closedByServer());

    RawTcpClient next(simulator.port());
    ASSERT_TRUE(next.send(whole.substr(6)));
    EXPECT_EQ(next.frame(200), ""); // the tail alone is no request
    ASSERT_TRUE(next.send(whole));
    EXPECT_FALSE(next.frame().empty());
}

TEST(TcpSimulatorStart, AnAddressThatCannotBeHeardOnIsRefusedWithItsReason) {
    sim::TcpSimulator simulator{networkFrom(kSmallNetwork)};
    EXPECT_FALSE(simulator.start("localhost", 0));
    EXPECT_NE(simulator.error().find("not an IPv4 address"), std::string::npos);
    sim::TcpSimulator first{networkFrom(kSmallNetwork)};
    ASSERT_TRUE(first.start("127.0.0.1", 0));
    sim::TcpSimulator taken{networkFrom(kSmallNetwork)};
    EXPECT_FALSE(taken.start("127.0.0.1", first.port()));
    EXPECT_NE(taken.error().find("Address already in use"), std::string::npos) << taken.error();
}

} // namespace
