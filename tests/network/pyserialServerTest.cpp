// The network ports' ends and beginnings against device servers other than ser2net:
// nexalo-cli through pyserial's example RFC 2217 server in front of the simulator's
// pseudo-terminal (the run's closing frames reach the bus, the server sees no reset, and a
// process that opens the port twice is served both times), and the raw port closing on a bare
// TCP peer that still has bytes on their way to it.

#include "pyserialServer.h"
#include "link/catalogue.h"
#include "link/platform/network/rfc2217Backend.h"
#include "runProcess.h"
#include "ser2netServer.h"
#include "tests/support/workingFolder.h"
#include "tests/upgrade/upgradeFixture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace upgradetest;

namespace {

class ThroughPyserialServer : public ::testing::Test {
protected:
    void SetUp() override {
        // Failed, not skipped: a missing server must not read as a passing close.
        const std::string missing = PyserialRfc2217Server::missing();
        ASSERT_TRUE(missing.empty()) << missing;
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        ASSERT_TRUE(behind.start()) << behind.error();
        ASSERT_TRUE(server.start(folder.path(), behind.devicePath())) << server.error();
    }
    ProcessResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", server.url()});
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    }
    // The network once the frames sent at the end of a run have had a moment to arrive.
    sim::Network settled(std::size_t broadcasts) {
        sim::Network seen = behind.snapshot();
        for (int wait = 0; wait < 100 && seen.broadcasts.size() < broadcasts; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            seen = behind.snapshot();
        }
        return seen;
    }

    WorkingFolder folder;
    sim::PtySimulator behind{networkFrom(networkWith(kPlainTerminal))};
    PyserialRfc2217Server server;
};

// Each run ends with the reset and the end of the run, sent without waiting for a reply: the
// last bytes on the connection. A reset is not every time (it takes a byte from the server
// still unread at the close; 2 runs in 4 before the close was mended), hence several runs, each
// once the server has let go of the last.
TEST_F(ThroughPyserialServer, EveryUpgradeDeliversItsClosingFramesAndTheServerSeesNoReset) {
    constexpr int kRuns = 4;
    for (int run = 1; run <= kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const ProcessResult upgraded =
            cli({"upgrade", "--controller", "01", "--terminal", "01", "--force"});
        ASSERT_EQ(upgraded.exitStatus, 0) << upgraded.out;
        EXPECT_NE(upgraded.out.find("Upgrade OK.\n"), std::string::npos) << upgraded.out;
        const sim::Network seen = settled(2 * static_cast<std::size_t>(run));
        ASSERT_EQ(seen.broadcasts.size(), 2u * run);
        EXPECT_EQ(seen.broadcasts.back().command, cmd::UpgradeRunEnd);
        EXPECT_EQ(seen.units[1].commands.back(), cmd::Reset);
        ASSERT_TRUE(server.awaitDisconnections(run)) << server.log();
        EXPECT_EQ(server.log().find("reset by peer"), std::string::npos) << server.log();
    }
}

// comms-test surveys, closes the port and opens it again; the server answers the second
// opening only once it has let go of the first connection, which takes it up to 3 s.
TEST_F(ThroughPyserialServer, ASecondOpeningInOneProcessIsServed) {
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult tested = cli({"comms-test", "--cla", "01FF", "--cycles", "1"});
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    EXPECT_EQ(tested.exitStatus, 0) << tested.out;
    EXPECT_EQ(tested.out.find("Failed to open"), std::string::npos) << tested.out;
    EXPECT_NE(tested.out.find("Unit Logical Address [CCTT]: 0101\nPass rate: 100%"),
              std::string::npos)
        << tested.out;
    std::cout << "comms-test took " << seconds.count() << " s\n";
}

// A bare TCP peer that sends while the port is closing (here a modem-state notification after
// the COM-port option is agreed): the port reads what comes and drops it, so the peer gets every
// byte written and then an orderly end, not a reset. Both kinds of port close alike.
void expectOrderlyClose(NetworkBackend& port, const std::string& scheme,
                        const std::vector<std::uint8_t>& greeting) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    int peer = -1;
    std::thread answering([&] {
        peer = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer >= 0 && !greeting.empty()) send(peer, greeting.data(), greeting.size(), 0);
    });
    const bool opened = port.open(scheme + "127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    answering.join();
    close(listener);
    ASSERT_TRUE(opened) << port.openFailure();
    ASSERT_GE(peer, 0);
    const std::vector<std::uint8_t> notification = {telnet::IAC, telnet::SB,  telnet::kComPort, 107,
                                                    0xB0,        telnet::IAC, telnet::SE};
    ASSERT_EQ(send(peer, notification.data(), notification.size(), 0),
              static_cast<ssize_t>(notification.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // on the port's side, unread
    const std::string last = "the run's last frames";
    ASSERT_EQ(port.write(reinterpret_cast<const std::uint8_t*>(last.data()),
                         static_cast<int>(last.size())),
              static_cast<int>(last.size()));
    std::thread closing([&] { port.close(); });

    std::string arrived;
    int error = 0;
    for (;;) {
        pollfd entry{peer, POLLIN, 0};
        if (poll(&entry, 1, 2000) <= 0) break;
        char chunk[256];
        const ssize_t got = recv(peer, chunk, sizeof chunk, 0);
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        arrived.append(chunk, static_cast<std::size_t>(got));
    }
    close(peer);
    closing.join();
    EXPECT_TRUE(arrived.ends_with(last)) << arrived;
    EXPECT_EQ(error, 0) << std::strerror(error);
}

TEST(PortClose, EveryByteWrittenArrivesAndThePeerSeesAnOrderlyEnd) {
    {
        SCOPED_TRACE("tcp://");
        NetworkBackend raw;
        expectOrderlyClose(raw, "tcp://", {});
    }
    {
        SCOPED_TRACE("rfc2217://");
        Rfc2217Backend telnet;
        expectOrderlyClose(telnet, "rfc2217://", {telnet::IAC, telnet::DO, telnet::kComPort});
    }
}

} // namespace
