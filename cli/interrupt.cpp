#include "interrupt.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

constexpr int kExitAfterSecondInterrupt = 1;
std::atomic<int> interrupts{0};

extern "C" void onInterrupt(int) {
    if (interrupts.fetch_add(1) > 0) _exit(kExitAfterSecondInterrupt);
}

} // namespace

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return interrupts.load() > 0;
}
