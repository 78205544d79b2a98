#include "sessionClock.h"

#include <atomic>

namespace {
std::atomic<bool> fastForward{false};

FastForwardClock& fastClock() {
    static FastForwardClock fast;
    return fast;
}
} // namespace

Clock& sessionClock() {
    return fastForward ? static_cast<Clock&>(fastClock()) : systemClock();
}

void fastForwardSessions(std::vector<bool> timedOutWaits) {
    fastClock().expectWaits(std::move(timedOutWaits));
    fastForward = true;
}
