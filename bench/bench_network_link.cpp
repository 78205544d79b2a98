// 100 status polls to a unit on a 38400-baud line, through Debian's ser2net (raw TCP on the
// loopback) against the same over the local pseudo-terminal, alternated over a few rounds: what
// the network port adds. A Nagle or wake-up delay would show as several milliseconds a poll.
// Measured with the set-up the README recommends (no character delay in ser2net), and for
// comparison with ser2net's defaults.

#include "benchSupport.h"
#include "link/linkSession.h"
#include "link/transaction.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/network/ser2netServer.h"
#include "tests/support/workingFolder.h"

#include <cstdio>

namespace {

constexpr std::uint32_t kBaud = 38400;
constexpr int kTransactions = 100;
constexpr int kRounds = 3;

// Seconds for the polls, or a negative number when not every one was answered.
double polls(const std::string& port) {
    SilentConsole console;
    LinkSession session(console);
    TSerialPort& line = session.port();
    Transaction& link = session.link();
    configureForTool(line);
    line.setDevicePath(port);
    if (!line.OpenPort()) {
        std::printf("%s did not open: %s\n", port.c_str(), line.OpenFailure().c_str());
        return -1;
    }
    const TimedPolls timed = timeStatusPolls(link, kTransactions);
    const int answered = timed.answered;
    const double took = timed.seconds;
    line.ClosePort();
    if (answered != kTransactions)
        std::printf("%s: %d of %d answered\n", port.c_str(), answered, kTransactions);
    return answered == kTransactions ? took : -1;
}

struct Totals {
    double local = 0, raw = 0, telnet = 0;
};

// Each port has a simulator of its own: ser2net serves a device on one connection at a time,
// and holds it open for a moment after a client leaves (reading what arrives meanwhile).
std::optional<Totals> measure(const sim::Network& network,
                              const std::vector<std::string>& options) {
    sim::PtySimulator localSimulator(network, sim::PtyOptions{kBaud, 0});
    sim::PtySimulator rawSimulator(network, sim::PtyOptions{kBaud, 0});
    sim::PtySimulator telnetSimulator(network, sim::PtyOptions{kBaud, 0});
    const std::optional<std::string> device = localSimulator.start();
    const std::optional<std::string> rawDevice = rawSimulator.start();
    const std::optional<std::string> telnetDevice = telnetSimulator.start();
    WorkingFolder folder;
    Ser2net server;
    server.setOptions(options);
    if (!device || !rawDevice || !telnetDevice ||
        !server.start(folder.path(), *rawDevice, *telnetDevice)) {
        std::printf("set-up failed: %s%s\n", localSimulator.error().c_str(),
                    server.error().c_str());
        return std::nullopt;
    }
    Totals totals;
    for (int round = 0; round < kRounds; ++round) {
        const double local = polls(*device), raw = polls(server.rawUrl());
        const double telnet = polls(server.telnetUrl());
        std::printf("  round %d: local %.3f s   ser2net raw %.3f s   ser2net rfc2217 %.3f s\n",
                    round + 1, local, raw, telnet);
        if (local < 0 || raw < 0 || telnet < 0) return std::nullopt;
        totals.local += local, totals.raw += raw, totals.telnet += telnet;
    }
    const double polled = kRounds * kTransactions;
    std::printf("  per poll: local %.2f ms, raw %.2f ms, rfc2217 %.2f ms; raw / local %.3f, "
                "rfc2217 / local %.3f\n",
                totals.local * 1000 / polled, totals.raw * 1000 / polled,
                totals.telnet * 1000 / polled, totals.raw / totals.local,
                totals.telnet / totals.local);
    return totals;
}

} // namespace

int main() {
    if (!Ser2net::installed()) {
        std::printf("ser2net is not installed (apt-get install ser2net): nothing measured\n");
        return 0;
    }
    sim::NetworkLoad load = sim::loadNetworkFile(NEXALO_DEMO_NETWORK);
    if (!load.network) {
        std::printf("demo network not loaded: %s\n", load.error.c_str());
        return 1;
    }
    std::printf("%d \"01\" transactions at %u baud, simulator paced, %d rounds\n", kTransactions,
                kBaud, kRounds);
    std::printf("ser2net with chardelay: false (the README's set-up)\n");
    const std::optional<Totals> recommended = measure(*load.network, {"chardelay: false"});
    std::printf("ser2net with its defaults (it waits a little after each character)\n");
    measure(*load.network, {});
    if (!recommended) return 1;
    reportRatio("100 \"01\" at 38400: ser2net raw / local pseudo-terminal",
                recommended->raw / recommended->local, "<= 1.10");
    return 0;
}
