// How much of a core the reply wait takes while nothing answers, beside a wait that only
// watches the clock.

#include "benchSupport.h"
#include "link/linkSession.h"
#include "link/transaction.h"

#include <chrono>
#include <cstdio>

namespace {

constexpr std::uint16_t kWaitMs = 5000;

struct Share {
    double wall, cpu;
};

Share measure(void (*wait)(Transaction&), Transaction& link) {
    const double wall0 = wallSeconds(), cpu0 = processCpuSeconds();
    wait(link);
    return {wallSeconds() - wall0, processCpuSeconds() - cpu0};
}

void replyWait(Transaction& link) {
    std::string reply;
    reply = link.TxMessage("0100", "01", kWaitMs, 0).text;
}

void spinningWait(Transaction&) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (std::chrono::steady_clock::now() < end) {
    }
}

void print(const char* what, Share share) {
    std::printf("%-34s wall %7.3f s   cpu %7.3f s   cpu share %6.2f %%\n", what, share.wall,
                share.cpu, 100.0 * share.cpu / share.wall);
}

} // namespace

int main() {
    PacedPeer silentPeer; // holds the line open and never answers
    SilentConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    configureForTool(port);
    port.setDevicePath(silentPeer.devicePath());
    if (!port.OpenPort()) {
        std::fprintf(stderr, "cannot open %s\n", silentPeer.devicePath().c_str());
        return 1;
    }
    port.SuspendPolling();
    std::printf("reply wait of %u ms on %s, no answer\n", kWaitMs, silentPeer.devicePath().c_str());
    const Share waiting = measure(replyWait, link);
    print("PollResponse (TxMessage, no reply)", waiting);
    const Share spinning = measure(spinningWait, link);
    print("spinning wait (reference)", spinning);
    reportRatio("CPU share of a core during an unanswered reply wait", waiting.cpu / waiting.wall,
                "< 0.01");
    reportRatio("  the same wait against a spinning wait", waiting.cpu / spinning.cpu, "");
    return 0;
}
