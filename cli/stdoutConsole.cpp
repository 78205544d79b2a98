#include "stdoutConsole.h"

#include "interrupt.h"

#include <cstdio>

void StdoutConsole::printLine(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void StdoutConsole::pump() {
    if (interruptRequested()) signal.requestStop();
    if (port) port->PollTimerTick();
}

void StdoutConsole::message(MessageKind, std::string_view text) {
    printLine(text);
}

bool StdoutConsole::confirm(std::string_view question) {
    printLine(question);
    return assumeYes;
}
