// The simulator in virtual time behind the tool's own port and transaction: replies arrive at
// their wire time, and long time-outs pass without real waiting.

#include "link/catalogue.h"
#include "link/linkSession.h"
#include "link/replyReader.h"
#include "sim/virtualLineBackend.h"
#include "simTestSupport.h"

#include <chrono>
#include <fstream>
#include <set>

using namespace simtest;

namespace {

class InVirtualTime : public ::testing::Test {
protected:
    explicit InVirtualTime(const char* json = kSmallNetwork) : network(networkFrom(json)) {
        auto backend = std::make_unique<sim::VirtualLineBackend>(clock, network);
        line = backend.get();
        session = std::make_unique<LinkSession>(console, clock, std::move(backend));
        port = &session->port();
        link = &session->link();
        configureForTool(*port);
        port->setDevicePath("virtual");
        port->OpenPort();
    }

    std::string send(const std::string& address, const std::string& command,
                     std::uint16_t timeout = 500, std::uint16_t retries = 0) {
        return link->TxMessage(address, command, timeout, retries).text;
    }

    VirtualClock clock;
    sim::NetworkSimulator network;
    SilentConsole console;
    sim::VirtualLineBackend* line = nullptr; // owned by the session's port
    std::unique_ptr<LinkSession> session;
    TSerialPort* port = nullptr;
    Transaction* link = nullptr;
};

TEST_F(InVirtualTime, StatusAndInformationTakeTheirWireTime) {
    ASSERT_EQ(line->baud(), 38400u);
    std::uint64_t before = clock.nowMs();
    std::string status = send("0500", cmd::StatusPoll);
    ASSERT_EQ(status.size(), reply::StatusLength);
    // 2 ms pause, 20 request and 22 reply characters at 260 us each: 11 ms, rounded up.
    EXPECT_GE(clock.nowMs() - before, 2u + 11u);
    EXPECT_LE(clock.nowMs() - before, 2u + 13u);
    std::string info = send("0500", cmd::UnitInfo);
    EXPECT_EQ(reply::readUnitInfo(info).productId, 5);
}

TEST_F(InVirtualTime, TwentySecondsOfTimeOutsTakeMilliseconds) {
    auto started = std::chrono::steady_clock::now();
    std::uint64_t before = clock.nowMs();
    EXPECT_EQ(send("0514", cmd::StatusPoll, 2000, 9), ""); // nobody at 0514
    EXPECT_GE(clock.nowMs() - before, 20000u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(network.network().frames.size(), 10u);
}

TEST_F(InVirtualTime, PurgingInputKeepsRepliesStillOnTheirWay) {
    // A reply that comes after the wait gave up is thrown away by the next request's
    // purge only once it has arrived; one still on its way is rejected by its sequence number.
    network.unit("c1")->faults.replies.delayMs = 300;
    EXPECT_EQ(send("0500", cmd::StatusPoll, 100), "");
    EXPECT_EQ(send("0500", cmd::StatusPoll, 500).size(), reply::StatusLength);
    EXPECT_EQ(network.network().frames.size(), 2u);
}

TEST_F(InVirtualTime, SlowLinesStretchLongReplies) {
    port->ClosePort();
    port->setComPortSpeed(br1200);
    ASSERT_TRUE(port->OpenPort());
    ASSERT_EQ(line->baud(), 1200u);
    std::uint64_t before = clock.nowMs();
    std::string info = send("0500", cmd::UnitInfo, 1000);
    ASSERT_GT(info.size(), reply::UnitInfoFullThreshold);
    // Request of 22 characters and a reply of 70 at 8.33 ms each.
    EXPECT_GE(clock.nowMs() - before, 2u + 766u);
}

TEST_F(InVirtualTime, AnUpgradeSequenceOverTheWire) {
    EXPECT_EQ(send("0512", cmd::EnterUpgrade).size(), reply::UpgradeModeLength);
    EXPECT_EQ(send("0512", cmd::EraseAll, 15000).size(), reply::EraseWriteLength);
    std::string page = "0000FBFC0002030A";
    EXPECT_EQ(send("0512", cmd::writePage(page), 1000).size(), reply::EraseWriteLength);
    EXPECT_EQ(send("0512", cmd::Reset, 1000).size(), reply::StatusLength);
    EXPECT_EQ(reply::readUnitInfo(send("0512", cmd::UnitInfo)).version, 0x030A);
    EXPECT_EQ(network.unit("t1")->flash.read(0xFBFC, 2), (std::vector<std::uint8_t>{3, 0x0A}));
}

class ManyUnitsInVirtualTime : public InVirtualTime {
protected:
    ManyUnitsInVirtualTime()
        : InVirtualTime(R"({"controllers": [
            {"la": "01", "fixedAddress": "11"}, {"la": "02", "fixedAddress": "12"},
            {"la": "03", "fixedAddress": "13"}]})") {}
};

TEST_F(ManyUnitsInVirtualTime, IdentificationRepliesQueueOnTheLine) {
    send("FF00", cmd::identify(), 0);
    clock.sleepMs(255);
    std::vector<std::uint32_t> found;
    for (std::string r; r = link->PollResponse(1).text, !r.empty();)
        found.push_back(reply::readIdentification(r)->fixedAddress);
    EXPECT_EQ(found, (std::vector<std::uint32_t>{0x11, 0x12, 0x13}));
}

// A full rank of 64 controllers: the survey's pause and 1 ms polls, which give up after five
// polls in a row without a reply, still collect every identification reply.
class FullRankInVirtualTime : public InVirtualTime {
protected:
    FullRankInVirtualTime() : InVirtualTime(largeNetwork().c_str()) {}
    static std::string largeNetwork() {
        std::ifstream file(std::string(NEXALO_SOURCE_DIR) + "/sim/networks/large.json");
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
};

TEST_F(FullRankInVirtualTime, TheSurveyPatternCollectsEveryIdentificationReply) {
    send("FF00", cmd::identify(), 0);
    clock.sleepMs(delay::SurveyIdentifyCollect);
    std::set<std::uint32_t> found;
    for (int misses = 5; misses > 0; --misses) {
        std::string r;
        r = link->PollResponse(delay::SurveyIdentifyPoll).text;
        if (r.size() != reply::IdentificationLength) continue;
        found.insert(reply::readIdentification(r)->fixedAddress);
        misses = 5;
    }
    EXPECT_EQ(found.size(), 64u);
}

} // namespace
