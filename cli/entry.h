#pragma once
// The program as a function: a command line (the program's name first) run in this process,
// as "replay" runs the command a capture recorded.

#include <string>
#include <vector>

// The exit status; usage errors are said on standard error as the program says them.
int runArguments(const std::vector<std::string>& arguments);
