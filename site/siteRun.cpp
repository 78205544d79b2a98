#include "site/siteRun.h"

#include "link/operation.h"
#include "site/firmwareShelf.h"
#include "site/sitePlan.h"
#include "site/siteReport.h"
#include "site/siteSteps.h"
#include "site/stepConsole.h"
#include "tools/surveyLines.h"
#include "upgrade/dispatcher.h"
#include "upgrade/upgradeRule.h"

#include <map>
#include <memory>

namespace {

constexpr char kVerifying[] = "Site: survey to verify";

// What the upgrade runs made of each unit they worked on; empty for a unit not reached.
using StepOutcomes = std::vector<std::optional<bool>>;

void tell(const SiteObserver& observer, const SiteBus& bus, std::size_t index) {
    if (observer.unitChanged) observer.unitChanged(index, bus.units[index]);
}

void reportLines(Console& console, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        console.report(line);
}

// What a step made of each of its units, in the step's order. A run that went its whole way
// answers for all of them. One cut short (a Stop, a lost line) answers only for the units its
// all-at-once upgrade had finished, as its table of found units says: a unit upgraded before the
// Stop was upgraded, whatever came after it.
StepOutcomes runStep(OperationContext& context, const SiteStep& step,
                     const std::vector<SurveyedUnit>& plan, const SiteObserver& observer,
                     FirmwareImage& image) {
    context.console.status(step.title);
    StepConsole console(context.console, observer.progress, step.units);
    PortSession port(context.link);
    if (!port.opened()) return StepOutcomes(step.units.size(), false);
    FoundUnits found;
    UpgradeRun run{{context.link, console, context.clock, context.control},
                   step.settings,
                   step.scope,
                   image,
                   found};
    const bool done = RunUpgrade(run);
    if (!context.ended()) return StepOutcomes(step.units.size(), done);
    StepOutcomes outcomes(step.units.size());
    for (std::size_t k = 0; k < step.units.size(); ++k) {
        const FoundUnit* unit = found.at(plan[step.units[k]].la);
        if (unit != nullptr && unit->state == UnitState::Done) outcomes[k] = true;
    }
    return outcomes;
}

// Runs the steps until the last one or a Stop (or a lost line); a step cut short leaves its
// unfinished units unreached.
StepOutcomes runSteps(OperationContext& context, const std::vector<SiteStep>& steps,
                      const std::vector<SurveyedUnit>& plan, const SiteObserver& observer) {
    StepOutcomes outcomes(plan.size());
    auto image = std::make_unique<FirmwareImage>();
    for (const SiteStep& step : steps) {
        if (context.ended()) break;
        const StepOutcomes made = runStep(context, step, plan, observer, *image);
        for (std::size_t k = 0; k < step.units.size(); ++k)
            outcomes[step.units[k]] = made[k];
    }
    return outcomes;
}

bool verified(const SurveyedUnit& before, const SurveyedUnit& after, bool stepDone) {
    if (!after.answered || after.upgradeMode) return false;
    if (before.unit.kind == SiteUnitKind::Remote)
        return stepDone && remoteUpgradable(before.version);
    return before.unit.fileVersion && versionText(after.version) == *before.unit.fileVersion;
}

// The second survey: what it read of every unit, and the verdict on every planned one.
void verify(OperationContext& context, SiteBus& bus, const std::vector<SurveyedUnit>& plan,
            const StepOutcomes& outcomes, const SiteObserver& observer) {
    context.console.status(kVerifying);
    auto table = std::make_unique<SurveyTable>();
    const SurveyOutcome outcome = surveyBus(context, *table);
    std::map<std::uint32_t, SurveyedUnit> found;
    for (SurveyedUnit& unit : surveyedUnits(*table, outcome))
        found.emplace(unit.unit.fixedAddress, std::move(unit));
    for (std::size_t i = 0; i < bus.units.size(); ++i) {
        SiteUnit& unit = bus.units[i];
        const auto now = found.find(unit.fixedAddress);
        const bool answered = now != found.end() && now->second.answered;
        if (answered) unit.after = versionText(now->second.version);
        if (unit.action == SiteAction::Upgrade)
            unit.result = answered && verified(plan[i], now->second, outcomes[i].value_or(false))
                              ? SiteResult::Upgraded
                              : SiteResult::Failed;
        tell(observer, bus, i);
    }
}

// After a Stop nothing more is sent, not even the verifying survey: the units the runs
// finished keep what the procedure concluded, the others were not done.
void endStopped(SiteBus& bus, const StepOutcomes& outcomes, const SiteObserver& observer) {
    for (std::size_t i = 0; i < bus.units.size(); ++i) {
        SiteUnit& unit = bus.units[i];
        if (unit.action != SiteAction::Upgrade) continue;
        unit.result = !outcomes[i]   ? SiteResult::NotDone
                      : *outcomes[i] ? SiteResult::Upgraded
                                     : SiteResult::Failed;
        tell(observer, bus, i);
    }
}

} // namespace

SiteBus runSite(OperationContext& context, const std::string& port, const SiteOptions& options,
                const SiteObserver& observer) {
    SiteBus bus;
    bus.port = port;
    bus.planOnly = options.planOnly;
    auto table = std::make_unique<SurveyTable>();
    const SurveyOutcome outcome = surveyBus(context, *table);
    bus.opened = outcome.portOpened;
    if (!bus.opened) return bus;

    FirmwareShelf shelf;
    std::vector<SurveyedUnit> plan = surveyedUnits(*table, outcome);
    planUnits(plan, options, shelf);
    for (const SurveyedUnit& unit : plan)
        bus.units.push_back(unit.unit);
    reportLines(context.console, sitePlanLines(bus));
    if (observer.planned) observer.planned(bus);
    if (options.planOnly) return bus;

    const StepOutcomes outcomes =
        runSteps(context, siteSteps(plan, options.model, shelf), plan, observer);
    bus.stopped = context.control.stopRequested();
    if (context.ended())
        endStopped(bus, outcomes, observer);
    else
        verify(context, bus, plan, outcomes, observer);
    reportLines(context.console, siteResultLines(bus));
    return bus;
}

bool siteSucceeded(const SiteBus& bus) {
    if (!bus.opened || bus.stopped || bus.units.empty()) return false;
    if (bus.planOnly) return true;
    for (const SiteUnit& unit : bus.units)
        if (unit.action == SiteAction::Upgrade && unit.result != SiteResult::Upgraded) return false;
    return true;
}
