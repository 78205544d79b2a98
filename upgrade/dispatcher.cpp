#include "upgrade/dispatcher.h"

#include "link/catalogue.h"
#include "upgrade/discovery.h"
#include "upgrade/global.h"
#include "upgrade/single.h"
#include "upgrade/unitHistory.h"

namespace {

constexpr char kFinished[] = "Finished.";

void broadcast(UpgradeRun& run, const char* command) {
    run.ctx.link.TxMessage(addr::AllControllers, command, tr::FireAndForget);
}

Outcome runGlobal(UpgradeRun& run) {
    const Outcome found = FindUnits(run);
    // Stopped, or the line failed, while searching: "No Units found!" would be wrong.
    if (found.cutShort()) return found;
    if (!found.succeeded()) {
        run.ctx.console.status(found.reason);
        return found;
    }
    if (run.settings.upgradeType == UpgradeType::AllUnits) return GoUpgradeGlobalAll(run);
    return GoUpgradeGlobalOne(run);
}

Outcome runByType(UpgradeRun& run) {
    switch (run.settings.upgradeType) {
    case UpgradeType::SingleUnit:
    case UpgradeType::Advanced:
        return GoUpgradeSingle(run, run.settings.controllerLA + run.settings.terminalLA);
    case UpgradeType::AllUnits:
    case UpgradeType::AllUnitsOneAtATime:
        return runGlobal(run);
    }
    return Outcome::error("unknown upgrade type");
}

} // namespace

Outcome RunUpgrade(UpgradeRun& run) {
    // Cleared first, so that a line lost under the first broadcast is still said.
    run.ctx.console.clearStatus();
    UnitHistoryScope history(run.ctx);
    broadcast(run, cmd::UpgradeRunStart);
    const Outcome done = runByType(run);
    history.end(done);
    // Sent after every run, a stopped one included: the controllers resume their work.
    broadcast(run, cmd::UpgradeRunEnd);
    run.ctx.console.status(kFinished);
    // A line lost under the closing broadcast, or a Stop that came after the last checkpoint,
    // still ends the run without its success.
    if (run.ctx.ended() && !done.cutShort()) return run.ctx.endOfRun();
    return done;
}
