#include "responseProbe.h"

#include "link/operation.h"
#include "link/pause.h"

namespace {

constexpr const char* kProbeCommand = "01";     // status request
constexpr std::uint16_t kProbeTimeoutMs = 5000; // no minimum time-out can exceed it
constexpr std::uint16_t kProbeRetries = 0;
constexpr std::size_t kStatusReplyLength = 21;
constexpr int kProbeCount = 5;
constexpr int kGiveUpAfterSilentProbes = 2;
constexpr std::uint32_t kPauseAfterProbeMs = 200;
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
        std::string reply;
        link.TxMessage(address, kProbeCommand, kProbeTimeoutMs, kProbeRetries, reply);
        ++outcome.attempts;
        if (reply.size() == kStatusReplyLength) {
            ++outcome.successes;
            totalMs += clock.nowMs() - sentAt;
        }
        pausePumping(clock, link.console(), kPauseAfterProbeMs);
        if (outcome.successes == 0 && probe == kGiveUpAfterSilentProbes) break;
    }
    if (outcome.successes > 0) {
        outcome.averageMs = static_cast<std::uint32_t>(totalMs / outcome.successes);
        outcome.label = msecLabel(outcome.averageMs);
    }
    return outcome;
}
