#include "sessionClock.h"

#include <atomic>

namespace {
std::atomic<bool> fastForward{false};
} // namespace

Clock& sessionClock() {
    static FastForwardClock fast;
    return fastForward ? static_cast<Clock&>(fast) : systemClock();
}

void fastForwardSessions() {
    fastForward = true;
}
