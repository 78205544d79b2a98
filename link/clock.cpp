#include "clock.h"

#include <chrono>
#include <thread>

std::uint64_t SteadyClock::nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::sleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& systemClock() {
    static SteadyClock clock;
    return clock;
}
