#include "interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

constexpr int kExitAfterSecondInterrupt = 1;
std::atomic<int> interrupts{0};

// Windows resets a handler to the default once it has run; set it again for the second
// Ctrl-C, which must end the program here and not by the default's own exit status.
extern "C" void onInterrupt(int) {
    if (interrupts.fetch_add(1) > 0) std::_Exit(kExitAfterSecondInterrupt);
    std::signal(SIGINT, onInterrupt);
}

} // namespace

void installInterruptHandler() {
    std::signal(SIGINT, onInterrupt);
}

bool interruptRequested() {
    return interrupts.load() > 0;
}
