#include "../signals.h"

#include <csignal>

void installSigintHandler(InterruptHandler handler) {
    std::signal(SIGINT, handler);
}

void rearmInterruptHandler(InterruptHandler handler) {
    std::signal(SIGINT, handler);
}
