#include "../signals.h"

#include <signal.h>

void installSigintHandler(InterruptHandler handler) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

void rearmInterruptHandler(InterruptHandler) {}
