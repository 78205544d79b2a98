#include "interrupt.h"
#include "platform/signals.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

constexpr int kExitAfterSecondInterrupt = 1;
std::atomic<int> interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free flag");

extern "C" void onInterrupt(int) {
    if (interrupts.fetch_add(1) > 0) std::_Exit(kExitAfterSecondInterrupt);
    rearmInterruptHandler(onInterrupt);
}

} // namespace

void installInterruptHandler() {
    installSigintHandler(onInterrupt);
}

bool interruptRequested() {
    return interrupts.load() > 0;
}
