#pragma once
// Runs a program in a given working folder and collects what it printed and how it ended.

#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus = -1; // -1 when it did not end normally
    std::string out, err;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingFolder);
