// Every found unit in turn through the single-unit upgrade, with one retry for a unit that
// fails.

#include "upgrade/global.h"

#include "upgrade/globalShared.h"
#include "upgrade/single.h"
#include "upgrade/unitHistory.h"

namespace {

constexpr int kAttempts = 2;
constexpr char kResetUnit[] = "Reset unit.";

bool stopped(const UpgradeRun& run) {
    return run.ctx.ended();
}

// False when the operator stopped during an attempt, or the line failed.
bool upgradeUnit(UpgradeRun& run, int la, FoundUnit& unit) {
    const std::string address = global::unitAddress(run, la);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const bool upgraded = GoUpgradeSingle(run, address).succeeded();
        unit.state = upgraded ? UnitState::Done : UnitState::Failed;
        run.ctx.console.status("");
        if (stopped(run)) return false;
        if (upgraded) break;
    }
    return true;
}

Outcome upgradeEach(UpgradeRun& run) {
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
        FoundUnit& unit = *run.units.at(la);
        if (unit.state != UnitState::Pending && unit.state != UnitState::Failed) continue;
        if (!upgradeUnit(run, la, unit)) {
            global::reportLeftInBootLoader(run);
            return global::outcomeOf(run);
        }
    }
    global::report(run);
    // The class reset would start a half-written image too: such units stay in their boot
    // loader for the next run.
    if (global::reportLeftInBootLoader(run)) return global::outcomeOf(run);
    if (!run.scope.controllerScope) {
        global::fireAndForget(run, global::classBroadcast(run), cmd::Reset);
        run.ctx.console.status(kResetUnit);
    }
    return global::outcomeOf(run);
}

} // namespace

Outcome GoUpgradeGlobalOne(UpgradeRun& run) {
    UnitHistoryScope history(run.ctx);
    const Outcome outcome = upgradeEach(run);
    history.end(outcome);
    return outcome;
}
