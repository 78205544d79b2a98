#include "upgrade/globalShared.h"

namespace global {

namespace {
constexpr char kReportHeading[] = "<< Upgrade Report >>";
constexpr char kUpgradeOk[] = " upgrade OK.";
constexpr char kUpgradeFailed[] = " upgrade Failed!";
constexpr std::size_t kLAWidth = 2;
constexpr char kLeftInBootLoader[] = "Left in boot loader for the next run:";
} // namespace

std::string controllerLA(const UpgradeRun& run) {
    return run.settings.controllerLA.substr(0, kLAWidth);
}

std::string unitAddress(const UpgradeRun& run, int la) {
    const auto unit = static_cast<std::uint8_t>(la);
    return run.scope.controllerScope ? addr::controller(unit)
                                     : addr::terminal(controllerLA(run), unit);
}

std::string classBroadcast(const UpgradeRun& run) {
    return run.scope.controllerScope ? std::string(addr::AllControllers)
                                     : addr::allTerminalsOf(controllerLA(run));
}

std::string unitLine(const std::string& address, const char* message) {
    return "Unit " + address + message;
}

void fireAndForget(UpgradeRun& run, const std::string& address, const char* command) {
    run.ctx.link.TxMessage(address, command, tr::FireAndForget);
}

void report(UpgradeRun& run) {
    run.ctx.console.status("");
    run.ctx.console.status(kReportHeading);
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
        const FoundUnit* unit = run.units.at(la);
        if (unit->state == UnitState::Done)
            run.ctx.console.status(unitLine(unitAddress(run, la), kUpgradeOk));
        else if (unit->state == UnitState::Failed)
            run.ctx.console.status(unitLine(unitAddress(run, la), kUpgradeFailed));
    }
}

std::vector<int> unfinishedUnits(const UpgradeRun& run) {
    std::vector<int> las;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la)
        if (const UnitLife* unit = run.ctx.units.find(unitAddress(run, la));
            run.units.at(la)->productId != 0 && unit != nullptr && unit->flashUnfinished)
            las.push_back(la);
    return las;
}

bool reportLeftInBootLoader(UpgradeRun& run) {
    const std::vector<int> las = unfinishedUnits(run);
    if (las.empty()) return false;
    std::string line = kLeftInBootLoader;
    for (int la : las)
        line += " " + unitAddress(run, la);
    run.ctx.console.status(line);
    return true;
}

Outcome outcomeOf(const UpgradeRun& run) {
    if (run.ctx.ended()) return run.ctx.endOfRun();
    int failed = 0;
    std::string first;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
        if (run.units.at(la)->state != UnitState::Failed) continue;
        if (failed++ == 0) first = unitAddress(run, la);
    }
    if (failed == 0) return Outcome::completed();
    return Outcome::failed(std::to_string(failed) + " unit(s)" + kUpgradeFailed, first);
}

} // namespace global
