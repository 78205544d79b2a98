#include "../signals.h"

#include <signal.h>
#include <unistd.h>

void installSigintHandler(InterruptHandler handler) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

void rearmInterruptHandler(InterruptHandler) {}

void writeFromHandler(const char* text, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(STDOUT_FILENO, text, size);
        if (written <= 0) return;
        text += written;
        size -= static_cast<std::size_t>(written);
    }
}
