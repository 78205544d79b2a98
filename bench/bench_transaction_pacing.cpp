// 100 status polls against a unit on a 38400-baud line: how close the transaction comes to
// the time the line itself needs (request and reply on the wire, plus the 2 ms pause of
// every call).

#include "benchSupport.h"
#include "link/linkSession.h"
#include "link/transaction.h"

#include <cstdio>
#include <memory>

#ifdef NEXALO_WITH_SIM
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#endif

namespace {

constexpr std::uint32_t kBaud = 38400;
constexpr int kTransactions = 100;
constexpr double kPauseSeconds = 0.002;
constexpr std::size_t kRequestCharacters = 22; // "@010000" + address + sequence + "01" + CRC + CR
constexpr std::size_t kReplyCharacters = 22;   // status reply with its carriage return

void run(const char* peerName, const std::string& device, const char* ratioName) {
    SilentConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    configureForTool(port);
    port.setDevicePath(device);
    if (!port.OpenPort()) {
        std::printf("%-44s cannot open %s\n", peerName, device.c_str());
        return;
    }
    const TimedPolls timed = timeStatusPolls(link, kTransactions);
    const int answered = timed.answered;
    const double took = timed.seconds;
    const double ideal =
        kTransactions * (wireSeconds(kRequestCharacters + kReplyCharacters, kBaud) + kPauseSeconds);
    std::printf("%-44s answered %3d/%d   took %7.3f s   line %7.3f s   ratio %5.3f\n", peerName,
                answered, kTransactions, took, ideal, took / ideal);
    if (answered == kTransactions) reportRatio(ratioName, took / ideal, "close to 1");
}

} // namespace

int main() {
    std::printf("%d \"01\" transactions at %u baud, 10 bits a character\n", kTransactions, kBaud);
#ifdef NEXALO_WITH_SIM
    sim::NetworkLoad load = sim::loadNetworkFile(NEXALO_DEMO_NETWORK);
    if (load.network) {
        sim::PtySimulator simulator(std::move(*load.network), sim::PtyOptions{kBaud, 0});
        if (const auto device = simulator.start())
            run("simulator (request and reply paced)", *device,
                "transaction time / wire time, simulator");
        else
            std::printf("simulator did not start: %s\n", simulator.error().c_str());
    } else {
        std::printf("demo network not loaded: %s\n", load.error.c_str());
    }
#endif
    PacedPeer peer(kBaud);
    run("paced peer (request and reply paced)", peer.devicePath(),
        "transaction time / wire time, paced peer");
    return 0;
}
