#include "responseProbe.h"

#include "link/catalogue.h"
#include "link/operation.h"

namespace {

constexpr int kProbeCount = 5;
constexpr int kGiveUpAfterSilentProbes = 2;
constexpr const char* kNoResultLabel = "0 msec";

std::string msecLabel(std::uint32_t ms) {
    return std::to_string(ms) + " msec";
}

} // namespace

ProbeOutcome probeResponseTime(Transaction& link, const std::string& address) {
    ProbeOutcome outcome;
    outcome.label = kNoResultLabel;
    PortSession session(link);
    if (!session.opened()) return outcome;
    outcome.portOpened = true;
    Clock& clock = link.clock();
    std::uint64_t totalMs = 0;
    for (int probe = 1; probe <= kProbeCount; ++probe) {
        const std::uint64_t sentAt = clock.nowMs();
        const std::string answer = link.TxMessage(address, cmd::StatusPoll, tr::ProbePoll).text;
        ++outcome.attempts;
        if (link.lineLost()) break;
        if (answer.size() == reply::StatusLength) {
            ++outcome.successes;
            totalMs += clock.nowMs() - sentAt;
        }
        link.pause(delay::ProbeInterval);
        if (outcome.successes == 0 && probe == kGiveUpAfterSilentProbes) break;
    }
    if (outcome.successes > 0) {
        outcome.averageMs = static_cast<std::uint32_t>(totalMs / outcome.successes);
        outcome.label = msecLabel(outcome.averageMs);
    }
    return outcome;
}
