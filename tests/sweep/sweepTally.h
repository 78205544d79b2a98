#pragma once
// The counts of a sweep: each cell is a first run with a cut at one point, judged by what the
// tool reported and what the units hold afterwards, and when it failed, a second run that
// must repair the unit.

#include "sweepBench.h"

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace sweep {

struct Tally {
    explicit Tally(std::string sweepName) : name(std::move(sweepName)) {}

    std::string name;
    int runs = 0, completed = 0, failed = 0, falseSuccesses = 0, failedRecoveries = 0;
    int unended = 0; // overran, left the port open, or took too long in real time
    double slowestRunSeconds = 0;
    std::vector<std::string> findings; // one line for each cell that went wrong

    std::string line() const {
        std::ostringstream out;
        out << "sweep " << name << ": runs " << runs << ", completed " << completed << ", failed "
            << failed << ", false successes " << falseSuccesses << ", failed recoveries "
            << failedRecoveries << ", unended " << unended << ", slowest run " << slowestRunSeconds
            << " s";
        return out.str();
    }
    std::string report() const {
        std::string text = line() + "\n";
        for (const std::string& f : findings)
            text += "  " + f + "\n";
        return text;
    }
};

// What a sweep runs and how it judges the units afterwards.
struct Plan {
    UpgradeSettings settings;
    UnitType unitType = UnitType::Terminal;
    UpgradeType upgradeType = UpgradeType::SingleUnit;
    std::uint32_t offMs = 3000;
    // Every unit the run was asked to upgrade holds the image and runs its version; on false,
    // why not.
    std::function<std::string(Bench&)> whatIsWrong;
    // Further checks of a failed first run (the units left alone, the lines it showed); on
    // false, what was wrong.
    std::function<std::string(Bench&, const RunEnd&)> failedRunFault;
};

// A run must end by itself, in bounded real time, with the port closed again.
constexpr double kRealSecondsPerRun = 30;

inline bool ended(Tally& tally, const RunEnd& end, const std::string& where) {
    tally.slowestRunSeconds = std::max(tally.slowestRunSeconds, end.realSeconds);
    if (!end.overran && end.portClosed && end.realSeconds < kRealSecondsPerRun) return true;
    ++tally.unended;
    tally.findings.push_back(where + ": the run did not end cleanly");
    return false;
}

inline void runCell(Tally& tally, const Plan& plan, Bench& bench, const std::string& where) {
    ++tally.runs;
    const RunEnd first = bench.upgrade(plan.settings, plan.unitType, plan.upgradeType);
    ended(tally, first, where);
    if (first.done) {
        ++tally.completed;
        if (std::string wrong = plan.whatIsWrong(bench); !wrong.empty()) {
            ++tally.falseSuccesses;
            tally.findings.push_back(where + ": false success, " + wrong);
        }
        return;
    }
    ++tally.failed;
    if (plan.failedRunFault)
        if (std::string wrong = plan.failedRunFault(bench, first); !wrong.empty())
            tally.findings.push_back(where + ": failed run, " + wrong);
    bench.wait(plan.offMs);
    const RunEnd second = bench.upgrade(plan.settings, plan.unitType, plan.upgradeType);
    ended(tally, second, where + " (second run)");
    std::string wrong = second.done ? plan.whatIsWrong(bench) : "the second run failed too";
    if (!wrong.empty()) {
        ++tally.failedRecoveries;
        tally.findings.push_back(where + ": failed recovery, " + wrong);
    }
}

} // namespace sweep
