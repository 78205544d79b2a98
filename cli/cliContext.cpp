#include "cliContext.h"

#include "interrupt.h"

namespace {
// How often the waiting program looks for Ctrl-C and the time limit.
constexpr std::uint32_t kWatchMs = 10;
} // namespace

Outcome CliContext::run(const LinkSession::Operation& operation, RunLog log,
                        std::uint64_t limitMs) {
    Outcome ran = Outcome::refused("another operation holds the bus");
    if (!session.start(operation, log, [&ran](const Outcome& done) { ran = done; })) return ran;
    Clock& clock = session.clock();
    const std::uint64_t started = clock.nowMs();
    while (!session.waitFor(kWatchMs)) {
        const bool timeUp = limitMs > 0 && clock.nowMs() - started >= limitMs;
        if (interruptRequested() || timeUp) session.control().requestStop();
    }
    return ran;
}
