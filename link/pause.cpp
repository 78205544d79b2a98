#include "pause.h"

#include <algorithm>

void pausePumping(Clock& clock, Console& console, std::uint32_t ms) {
    const std::uint64_t end = clock.nowMs() + ms;
    for (std::uint64_t now = clock.nowMs(); now < end; now = clock.nowMs()) {
        clock.sleepMs(
            static_cast<std::uint32_t>(std::min<std::uint64_t>(end - now, kPauseSliceMs)));
        console.pump();
    }
}
