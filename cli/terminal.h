#pragma once
// Whether a standard stream reaches a person at a terminal (a console window on Windows)
// rather than a file or a pipe: live progress lines are drawn only then.

#include <cstdio>

bool isTerminal(std::FILE* stream);

// Waits up to timeoutMs for standard input to have something to read (a line, or its end):
// false when nothing came, so that a question can look at Ctrl-C between waits.
bool inputArrives(int timeoutMs);
