#pragma once
// Whether a standard stream reaches a person at a terminal (a console window on Windows)
// rather than a file or a pipe: live progress lines are drawn only then.

#include <cstdio>

bool isTerminal(std::FILE* stream);
