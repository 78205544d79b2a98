#include "upgrade/dispatcher.h"

#include "link/catalogue.h"
#include "upgrade/discovery.h"
#include "upgrade/global.h"
#include "upgrade/single.h"

namespace {

constexpr char kNoUnitsFound[] = "No Units found!";
constexpr char kFinished[] = "Finished.";

void broadcast(UpgradeRun& run, const char* command) {
    run.ctx.link.TxMessage(addr::AllControllers, command, tr::FireAndForget);
}

// A global run succeeds when no unit it worked on failed. Units left pending were not worked
// on: the all-at-once upgrade passes over units without a class or whose file does not load.
bool noUnitFailed(const FoundUnits& units) {
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la)
        if (units.at(la)->state == UnitState::Failed) return false;
    return true;
}

bool runGlobal(UpgradeRun& run) {
    const bool found = FindUnits(run);
    // The units found before the line failed cannot be reached: "No Units found!" would be
    // wrong, and trying each of them would only fail again.
    if (run.ctx.link.lineLost()) return false;
    // Stopped while searching: no unit is put into upgrade mode after the Stop.
    if (run.ctx.control.stopRequested()) return false;
    if (!found) {
        run.ctx.console.status(kNoUnitsFound);
        return false;
    }
    if (run.settings.upgradeType == UpgradeType::AllUnits)
        GoUpgradeGlobalAll(run);
    else
        GoUpgradeGlobalOne(run);
    return noUnitFailed(run.units);
}

bool runByType(UpgradeRun& run) {
    switch (run.settings.upgradeType) {
    case UpgradeType::SingleUnit:
    case UpgradeType::Advanced:
        return GoUpgradeSingle(run, run.settings.controllerLA + run.settings.terminalLA);
    case UpgradeType::AllUnits:
    case UpgradeType::AllUnitsOneAtATime:
        return runGlobal(run);
    }
    return false;
}

} // namespace

bool RunUpgrade(UpgradeRun& run) {
    // Cleared first, so that a line lost under the first broadcast is still said.
    run.ctx.console.clearStatus();
    broadcast(run, cmd::UpgradeRunStart);
    const bool done = runByType(run);
    // Sent after every run, a stopped one included: the controllers resume their work.
    broadcast(run, cmd::UpgradeRunEnd);
    run.ctx.console.status(kFinished);
    return done && !run.ctx.control.stopRequested() && !run.ctx.link.lineLost();
}
