#pragma once
// The line faults the matrix runs every procedure under: one row each, drawn per reply from the
// network's seeded generator.

#include "sim/faults.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace faultmatrix {

struct FaultRow {
    const char* name;
    sim::ReplyFaults faults;
    std::uint16_t minimumTimeout = 0; // the operator's "Extend Timeout", 0: none
};

inline sim::ReplyFaults dropping(double share) {
    sim::ReplyFaults f;
    f.dropShare = share;
    return f;
}
inline sim::ReplyFaults badCrc(double share) {
    sim::ReplyFaults f;
    f.badCrcShare = share;
    return f;
}
inline sim::ReplyFaults staleFirst(double share) {
    sim::ReplyFaults f;
    f.staleSequenceShare = share;
    return f;
}
inline sim::ReplyFaults noisy(double share) {
    sim::ReplyFaults f;
    f.noiseShare = share;
    return f;
}
inline sim::ReplyFaults late(std::uint32_t ms) {
    sim::ReplyFaults f;
    f.delayMs = ms;
    return f;
}

// Replies that come 300 ms late only fit the short waits of the procedures once the operator
// has raised the minimum reply time-out, as the dialog is there for.
// The clean line first: every run on it completes, and it tells how many time-outs the
// procedures meet without any fault (absent LAs, the survey's end of collection).
inline const std::array<FaultRow, 7> kRows{{
    {"clean line", {}},
    {"drop 5%", dropping(0.05)},
    {"drop 20%", dropping(0.20)},
    {"bad CRC 5%", badCrc(0.05)},
    {"stale seq 10%", staleFirst(0.10)},
    {"noise 20%", noisy(0.20)},
    {"late 300ms/min 500", late(300), 500},
}};

inline const FaultRow& rowNamed(std::string_view name) {
    return *std::ranges::find_if(kRows, [&](const FaultRow& row) { return row.name == name; });
}

} // namespace faultmatrix
