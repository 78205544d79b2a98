#include "cliContext.h"

#include "commands.h"
#include "interrupt.h"

namespace {
// How often the waiting program looks for Ctrl-C and the time limit.
constexpr std::uint32_t kWatchMs = 10;
constexpr char kEndedAtOnce[] = "nexalo-cli: ended at once";
} // namespace

void followInterrupts(const std::vector<RunControl*>& runs, int& handled) {
    for (; handled < interruptCount(); ++handled)
        for (RunControl* run : runs)
            run->requestStop();
    std::string units;
    for (const RunControl* run : runs) {
        const std::string inHand = run->unitsInHand();
        if (!inHand.empty()) units += (units.empty() ? "" : ", ") + inHand;
    }
    // Ended at once while nothing is written, the program leaves nothing to say.
    setInterruptNote(units.empty() ? std::string()
                                   : std::string(kEndedAtOnce) + "; left in boot loader: " + units);
    endAtOnceIfDue();
}

Outcome CliContext::run(const LinkSession::Operation& operation, RunLog log,
                        std::uint64_t limitMs) {
    Outcome ran = Outcome::refused("another operation holds the bus");
    if (!session.start(operation, log, [&ran](const Outcome& done) { ran = done; })) return ran;
    Clock& clock = session.clock();
    const std::uint64_t started = clock.nowMs();
    int handled = 0;
    while (!session.waitFor(kWatchMs)) {
        followInterrupts({&session.control()}, handled);
        if (limitMs > 0 && clock.nowMs() - started >= limitMs) session.control().requestStopNow();
    }
    return ran;
}

int CliContext::exitWith(const Outcome& outcome) {
    ended = outcome;
    return exitStatusOf(outcome);
}
