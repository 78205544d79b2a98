#pragma once
// How the handler of Ctrl-C is installed: sigaction on POSIX, where std::signal's meaning in a
// program with threads is unspecified; the C runtime's signal on Windows.

#include <cstddef>

extern "C" {
using InterruptHandler = void (*)(int);
}

// Installs handler for SIGINT; interrupted calls are restarted where the platform can.
void installSigintHandler(InterruptHandler handler);
// Called by the handler as it runs: Windows resets a handler to the default once it has run,
// so it is set again there for the second Ctrl-C (which must end the program with the tool's
// own exit status); on POSIX it stays installed and nothing is done.
void rearmInterruptHandler(InterruptHandler handler);
// Writes text to standard output from the handler, with nothing that is not safe there.
void writeFromHandler(const char* text, std::size_t size);
