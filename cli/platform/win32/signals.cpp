#include "../signals.h"

#include <csignal>
#include <io.h>

void installSigintHandler(InterruptHandler handler) {
    std::signal(SIGINT, handler);
}

void rearmInterruptHandler(InterruptHandler handler) {
    std::signal(SIGINT, handler);
}

void writeFromHandler(const char* text, std::size_t size) {
    _write(1, text, static_cast<unsigned>(size));
}
