#pragma once
// What each column of the matrix runs: its network, the operator's choices, the bound of its
// run on a given line, and how its outcome is judged against the units afterwards. Shared by
// the runs in virtual time and those over a pseudo-terminal.

#include "cellRun.h"
#include "link/clock.h"
#include "runBudget.h"
#include "sim/unitModel.h"
#include "tests/support/recordingConsole.h"
#include "tools/surveyTable.h"
#include "upgrade/upgradeRun.h"

#include <chrono>
#include <string>
#include <vector>

namespace faultmatrix {

struct CellSetup {
    const char* network; // JSON, without faults
    UpgradeSettings settings;
    ScopeFlags scope;
};

CellSetup setupOf(Column column);
// The network of a column with the row's faults on the line and the seed of its dice.
sim::Network networkOf(Column column, const FaultRow& row, std::uint64_t seed);
std::uint64_t boundOf(Column column, const LineBudget& line);

// The verdict on an upgrade that reported success or not, from the units as they are now.
Verdict judgeUpgradeRun(Column column, const sim::Network& after, bool reported,
                        const std::vector<std::string>& statusLines, std::string& detail);

// Ends a run that overruns its bound by unwinding it from the face's next pump: every
// exchange and every pause pumps.
struct Overrun {
    std::string what;
};

class OverrunGuard {
public:
    OverrunGuard(RecordingConsole& console, Clock& clock, std::uint64_t boundMs);
    ~OverrunGuard();
    OverrunGuard(const OverrunGuard&) = delete;
    OverrunGuard& operator=(const OverrunGuard&) = delete;

    std::uint64_t elapsedMs() const { return clock_.nowMs() - startMs_; }
    double realMs() const;

private:
    void check() const;

    RecordingConsole& console_;
    Clock& clock_;
    std::uint64_t startMs_;
    std::uint64_t boundMs_;
    std::chrono::steady_clock::time_point started_;
};

// Runs operation under the guard; the verdict comes from judge unless the run hung.
template <typename Operation, typename Judge>
RunRecord guarded(RecordingConsole& console, Clock& clock, std::uint64_t boundMs,
                  Operation operation, Judge judge) {
    RunRecord record;
    record.boundMs = boundMs;
    bool overran = false;
    {
        OverrunGuard guard(console, clock, boundMs);
        try {
            operation();
        } catch (const Overrun& overrun) {
            overran = true;
            record.detail = overrun.what;
        }
        record.virtualMs = guard.elapsedMs();
        record.realMs = guard.realMs();
    }
    if (!overran) record.verdict = judge(record.detail);
    if (overran || record.virtualMs > boundMs) record.verdict = Verdict::Hang;
    return record;
}

} // namespace faultmatrix
