#include "cliContext.h"

#include "interrupt.h"

namespace {
// How often the waiting program looks for Ctrl-C and the time limit.
constexpr std::uint32_t kWatchMs = 10;
} // namespace

bool CliContext::run(const LinkSession::Operation& operation, RunLog log, std::uint64_t limitMs) {
    bool ran = false;
    if (!session.start(operation, log, [&ran](bool done) { ran = done; })) return false;
    Clock& clock = session.clock();
    const std::uint64_t started = clock.nowMs();
    while (!session.waitFor(kWatchMs)) {
        const bool timeUp = limitMs > 0 && clock.nowMs() - started >= limitMs;
        if (interruptRequested() || timeUp) session.control().requestStop();
    }
    return ran;
}
