#pragma once
// Runs a program in a given working folder and collects what it printed and how it ended.

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct ProcessResult {
    int exitStatus = -1; // -1 when it did not end normally
    std::string out, err;
};

// whileRunning, when given, is called with the child's id before waiting for it to end. The
// child's standard input is inputFd when one is given (a terminal, say), else the test's; its
// standard error is errorFd when one is given (err then stays empty), else collected.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingFolder,
                         const std::function<void(pid_t)>& whileRunning = {}, int inputFd = -1,
                         int errorFd = -1);
