// The survey of the large network (64 controllers, 64 terminals) on a 38400-baud line: how
// close it comes to the time it cannot avoid, which is the wire time of every frame it sent
// and read, the 2 ms pause before every request, the 255 ms collection pause of every
// identification pass, the polls without a reply that end a pass, and the host probes that
// nobody answers.

#include "benchSupport.h"
#include "link/catalogue.h"
#include "link/linkSession.h"
#include "link/platform/posix/posixBackend.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tools/networkSurvey.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr std::uint32_t kBaud = 38400;
constexpr double kRequestPauseSeconds = 0.002;
constexpr double kHostProbeSeconds = 3 * tr::SurveyHostInfo.timeout / 1000.0;
// A pass ends after at least four 1 ms polls without a reply.
constexpr double kPassEndSeconds = 4 * delay::SurveyIdentifyPoll / 1000.0;

// The termios backend, counting what crosses it.
class CountingBackend : public PosixBackend {
public:
    int write(const std::uint8_t* data, int count) override {
        const int taken = PosixBackend::write(data, count);
        if (taken > 0) {
            written += static_cast<std::size_t>(taken);
            requests += static_cast<std::size_t>(std::count(data, data + taken, '\r'));
        }
        return taken;
    }
    int read(std::uint8_t* buffer, int count) override {
        const int got = PosixBackend::read(buffer, count);
        if (got > 0) read_ += static_cast<std::size_t>(got);
        return got;
    }
    std::size_t written = 0, read_ = 0, requests = 0;
};

// The real clock, noting how many reply characters came in during each collection pause: their
// wire time passed while the survey waited anyway, so it is not counted twice.
class PauseAwareClock : public Clock {
public:
    std::uint64_t nowMs() override { return systemClock().nowMs(); }
    void sleepMs(std::uint32_t ms) override {
        systemClock().sleepMs(ms);
        if (ms == delay::SurveyIdentifyCollect && port != nullptr)
            arrivedDuringPauses += static_cast<std::size_t>(std::max(port->BytesWaiting(), 0));
    }
    TSerialPort* port = nullptr;
    std::size_t arrivedDuringPauses = 0;
};

} // namespace

int main() {
    sim::NetworkLoad load = sim::loadNetworkFile(NEXALO_LARGE_NETWORK);
    if (!load.network) {
        std::printf("large network not loaded: %s\n", load.error.c_str());
        return 1;
    }
    sim::PtySimulator simulator(std::move(*load.network), sim::PtyOptions{kBaud, 0});
    const auto device = simulator.start();
    if (!device) {
        std::printf("simulator did not start: %s\n", simulator.error().c_str());
        return 1;
    }
    auto backend = std::make_unique<CountingBackend>();
    CountingBackend& line = *backend;
    SilentConsole console;
    PauseAwareClock clock;
    LinkSession session(console, clock, std::move(backend));
    TSerialPort& port = session.port();
    configureForTool(port);
    port.setDevicePath(*device);
    auto table = std::make_unique<SurveyTable>();
    clock.port = &port;
    OperationContext context = session.context();

    const double start = wallSeconds();
    const SurveyOutcome outcome = surveyBus(context, *table);
    const double took = wallSeconds() - start;

    const sim::Network seen = simulator.snapshot();
    const auto passes = std::count_if(seen.frames.begin(), seen.frames.end(),
                                      [](const auto& f) { return f.command == cmd::identify(); });
    int terminals = 0;
    for (int column = 1; column <= SurveyTable::kGroupSize; ++column)
        for (int row = 1; row <= SurveyTable::kGroupSize; ++row)
            terminals += table->at(row, column).occupied() ? 1 : 0;
    const double wire = wireSeconds(line.written + line.read_ - clock.arrivedDuringPauses, kBaud);
    const double pauses = line.requests * kRequestPauseSeconds +
                          passes * (delay::SurveyIdentifyCollect / 1000.0 + kPassEndSeconds);
    const double hostProbes = outcome.host.kind == HostKind::hkNone ? kHostProbeSeconds : 0;
    const double floor = wire + pauses + hostProbes;
    std::printf("survey of large.json at %u baud: %d controllers, %d terminals\n", kBaud,
                outcome.controllers, terminals);
    std::printf("requests %zu, characters sent %zu, read %zu (%zu of them during the "
                "collection pauses), identification passes %ld\n",
                line.requests, line.written, line.read_, clock.arrivedDuringPauses,
                static_cast<long>(passes));
    std::printf("wire %.3f s + pauses %.3f s + unanswered host probes %.3f s = %.3f s\n", wire,
                pauses, hostProbes, floor);
    std::printf("took %.3f s   ratio %.3f (goal <= 1.10)\n", took, took / floor);
    reportRatio("survey time / wire time (large network)", took / floor, "<= 1.10");
    return 0;
}
