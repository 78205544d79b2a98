// The simulator over a real pseudo-terminal, talked to by the tool's own port and transaction
// on the real clock.

#include "link/catalogue.h"
#include "link/linkSession.h"
#include "link/replyReader.h"
#include "sim/ptySimulator.h"
#include "simTestSupport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace simtest;

namespace {

class OverAPseudoTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        std::optional<std::string> device = simulator.start();
        ASSERT_TRUE(device) << simulator.error();
        configureForTool(port);
        port.setDevicePath(*device);
        ASSERT_TRUE(port.OpenPort());
    }

    std::string send(const std::string& address, const std::string& command,
                     std::uint16_t timeout = 500, std::uint16_t retries = 0) {
        std::string reply;
        reply = link.TxMessage(address, command, timeout, retries).text;
        return reply;
    }

    sim::PtySimulator simulator{networkFrom(kSmallNetwork)};
    SilentConsole console;
    LinkSession session{console};
    TSerialPort& port = session.port();
    Transaction& link = session.link();
};

TEST_F(OverAPseudoTerminal, StatusAndInformationCrossTheWire) {
    std::string status = send("0500", cmd::StatusPoll);
    ASSERT_EQ(status.size(), reply::StatusLength);
    EXPECT_FALSE(reply::inUpgradeMode(reply::statusByte(status)));
    std::string info = send("0500", cmd::UnitInfo);
    ASSERT_GT(info.size(), reply::UnitInfoFullThreshold);
    EXPECT_EQ(reply::readUnitInfo(info).fixedAddress, 0x0001A2B3u);
    EXPECT_EQ(send("0514", cmd::StatusPoll, 50), ""); // nobody there
    EXPECT_EQ(simulator.unit("c1")->commands.size(), 2u);
}

TEST_F(OverAPseudoTerminal, FireAndForgetFramesAllArriveInOrder) {
    for (int i = 0; i < 300; ++i)
        send("FF00", cmd::UpgradeRunStart, 0);
    EXPECT_EQ(send("0500", cmd::StatusPoll).size(), reply::StatusLength);
    sim::Network seen = simulator.snapshot();
    ASSERT_EQ(seen.frames.size(), 301u);
    EXPECT_EQ(seen.badFrames, 0u);
    EXPECT_EQ(seen.broadcasts.size(), 300u);
}

TEST_F(OverAPseudoTerminal, SeveralRepliesToOneBroadcastAreCollectedOneByOne) {
    send("FF00", cmd::IdentifyBoundary, 0);
    send("FF00", cmd::identify(), 0);
    std::string first, second;
    first = link.PollResponse(200).text;
    second = link.PollResponse(50).text;
    EXPECT_EQ(reply::readIdentification(first)->fixedAddress, 0x0001A2B3u);
    EXPECT_EQ(second, ""); // one controller, one reply
}

TEST(PseudoTerminalLink, TheLinkIsMadeReplacedAndRemoved) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("nexalo-sim-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::path link = dir / "COM1";
    std::filesystem::create_symlink("/dev/null/stale", link);
    {
        sim::PtySimulator simulator(networkFrom(kSmallNetwork));
        std::optional<std::string> device = simulator.start(link.string());
        ASSERT_TRUE(device) << simulator.error();
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), *device);
        simulator.stop();
        EXPECT_FALSE(std::filesystem::is_symlink(link));
    }
    std::filesystem::path file = dir / "COM2";
    { std::ofstream(file) << "not a link"; }
    sim::PtySimulator refusing(networkFrom(kSmallNetwork));
    EXPECT_FALSE(refusing.start(file.string()));
    EXPECT_TRUE(std::filesystem::is_regular_file(file)); // never deleted
    std::filesystem::remove_all(dir);
}

TEST(PseudoTerminalPacing, RepliesTakeTheirLineTime) {
    // The 22-character request and 69 characters of unit information at 1200 baud take
    // 758 ms on the wire; the unit adds 100 ms of latency.
    sim::PtySimulator simulator(networkFrom(kSmallNetwork), sim::PtyOptions{1200, 100});
    std::optional<std::string> device = simulator.start();
    ASSERT_TRUE(device);
    SilentConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    configureForTool(port);
    port.setDevicePath(*device);
    ASSERT_TRUE(port.OpenPort());
    Transaction& link = session.link();
    auto started = std::chrono::steady_clock::now();
    std::string reply;
    reply = link.TxMessage("0500", cmd::UnitInfo, 1000, 0).text;
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GT(reply.size(), reply::UnitInfoFullThreshold);
    EXPECT_GE(elapsed, std::chrono::milliseconds(858));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1700));
}

} // namespace
