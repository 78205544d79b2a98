#pragma once
// What a log shows of a lost line: how often it said so, and how much followed.

#include "link/lineLoss.h"

#include <string>
#include <vector>

struct LossTrace {
    int lossLines = 0;  // lines that say the line was lost
    int linesAfter = 0; // lines after the first of them
    std::string lossLine;
};

inline LossTrace traceOf(const std::vector<std::string>& lines) {
    LossTrace trace;
    for (const std::string& line : lines) {
        if (trace.lossLines > 0) ++trace.linesAfter;
        if (!line.starts_with(kLineLostPrefix)) continue;
        if (trace.lossLines++ == 0) trace.lossLine = line;
    }
    return trace;
}
