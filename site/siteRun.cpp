#include "site/siteRun.h"

#include "link/operation.h"
#include "site/firmwareShelf.h"
#include "site/sitePlan.h"
#include "site/siteReport.h"
#include "site/siteSteps.h"
#include "site/stepConsole.h"
#include "tools/surveyLines.h"
#include "upgrade/dispatcher.h"

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <optional>

namespace {

constexpr char kVerifying[] = "Site: survey to verify";
constexpr char kUnitFailed[] = "upgrade Failed!";

// What the upgrade runs made of each planned unit, by index into the plan; empty for a unit no
// step reached.
using UnitOutcomes = std::vector<std::optional<Outcome>>;

// One step's record: how its run ended and what it made of each of its units, in its order.
struct StepRecord {
    Outcome end;
    UnitOutcomes units;
};

void tell(const SiteObserver& observer, const SiteBus& bus, std::size_t index) {
    if (observer.unitChanged) observer.unitChanged(index, bus.units[index]);
}

void reportLines(Console& console, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        console.report(line);
}

// An "ALL units" run answers for each unit by its table of found units: a unit finished before
// a Stop or a lost line was finished, whatever came after it; one it had not reached when the
// run was cut short was not reached. Every other run answers for its one unit as a whole.
std::optional<Outcome> unitOutcome(const OperationContext& context, const SiteStep& step,
                                   const FoundUnits& found, const SurveyedUnit& planned,
                                   const Outcome& end) {
    if (step.settings.upgradeType != UpgradeType::AllUnits) return end;
    const FoundUnit* unit = found.at(planned.la);
    if (unit != nullptr && unit->state == UnitState::Done) return Outcome::completed();
    if (unit != nullptr && unit->state == UnitState::Failed)
        return Outcome::failed(kUnitFailed, planned.unit.address);
    if (context.ended()) return std::nullopt;
    return end;
}

StepRecord runStep(OperationContext& context, const SiteStep& step,
                   const std::vector<SurveyedUnit>& plan, const SiteObserver& observer,
                   FirmwareImage& image) {
    context.console.status(step.title);
    StepConsole console(context.console, observer.progress, step.units);
    PortSession port(context.link);
    if (!port.opened()) {
        const Outcome notOpened = Outcome::failed(PortSession::kOpenFailed);
        return {notOpened, UnitOutcomes(step.units.size(), notOpened)};
    }
    FoundUnits found;
    UpgradeRun run{{context.link, console, context.clock, context.control, context.trust},
                   step.settings,
                   step.scope,
                   image,
                   found};
    StepRecord record{RunUpgrade(run), {}};
    for (std::size_t index : step.units)
        record.units.push_back(unitOutcome(context, step, found, plan[index], record.end));
    return record;
}

// Runs the steps until the last one or a Stop (or a lost line); a step cut short leaves its
// unfinished units unreached.
void runSteps(OperationContext& context, const std::vector<SiteStep>& steps,
              const std::vector<SurveyedUnit>& plan, const SiteObserver& observer,
              UnitOutcomes& outcomes) {
    auto image = std::make_unique<FirmwareImage>();
    for (const SiteStep& step : steps) {
        if (context.ended()) return;
        const StepRecord made = runStep(context, step, plan, observer, *image);
        for (std::size_t k = 0; k < step.units.size(); ++k)
            outcomes[step.units[k]] = made.units[k];
    }
}

// Every planned unit's procedure came to its own end (whatever it concluded): what ended the
// run came after the last upgrade.
bool everyUnitConcluded(const SiteBus& bus, const UnitOutcomes& outcomes) {
    for (std::size_t i = 0; i < bus.units.size(); ++i)
        if (bus.units[i].action == SiteAction::Upgrade && (!outcomes[i] || outcomes[i]->cutShort()))
            return false;
    return true;
}

// A planned unit as its step left it, before any survey proved anything.
void takeStepOutcome(SiteUnit& unit, const std::optional<Outcome>& outcome) {
    if (!outcome) {
        unit.result = SiteResult::NotDone;
        return;
    }
    switch (outcome->kind) {
    case OutcomeKind::Completed:
        unit.result = SiteResult::Upgraded;
        return;
    case OutcomeKind::Refused:
        unit.result = SiteResult::Refused;
        break;
    case OutcomeKind::Failed:
        unit.result = SiteResult::Failed;
        break;
    case OutcomeKind::Stopped:
    case OutcomeKind::LineLost:
    case OutcomeKind::Error:
        unit.result = SiteResult::NotDone;
        break;
    }
    unit.reason = outcome->reason;
}

bool verifiedAtFile(const SiteUnit& unit, const SurveyedUnit& after) {
    if (!after.answered || after.upgradeMode) return false;
    // A remote's image carries no version: it counts once it answers from its application.
    if (unit.kind == SiteUnitKind::Remote) return true;
    return unit.fileVersion && versionText(after.version) == *unit.fileVersion;
}

// The second survey: what it read of every unit, and the verdict on every planned one. Cut
// short, it proves nothing: the units keep their step's verdict, unverified.
Outcome verify(OperationContext& context, SiteBus& bus, const UnitOutcomes& outcomes,
               const SiteObserver& observer) {
    context.console.status(kVerifying);
    auto table = std::make_unique<SurveyTable>();
    const SurveyOutcome outcome = surveyBus(context, *table);
    if (!outcome.end.succeeded()) return outcome.end;
    std::map<std::uint32_t, SurveyedUnit> found;
    for (SurveyedUnit& unit : surveyedUnits(*table, outcome))
        found.emplace(unit.unit.fixedAddress, std::move(unit));
    bool everyUnitAtItsFile = true;
    for (std::size_t i = 0; i < bus.units.size(); ++i) {
        SiteUnit& unit = bus.units[i];
        const auto now = found.find(unit.fixedAddress);
        const bool answered = now != found.end() && now->second.answered;
        if (answered) unit.after = versionText(now->second.version);
        if (unit.action != SiteAction::Upgrade) continue;
        const bool atFile = answered && verifiedAtFile(unit, now->second);
        const bool stepDone = outcomes[i] && outcomes[i]->succeeded();
        if (atFile && stepDone) {
            unit.result = SiteResult::Upgraded;
        } else {
            everyUnitAtItsFile = false;
            takeStepOutcome(unit, outcomes[i]);
            if (unit.result == SiteResult::Upgraded || unit.result == SiteResult::NotDone) {
                unit.result = SiteResult::Failed;
                unit.reason = answered ? "not at its file's version after the run"
                                       : "not read by the verifying survey";
            }
        }
        tell(observer, bus, i);
    }
    // A unit whose file the trust check refused is not where the site wants it either.
    const bool noneRefused = std::ranges::none_of(
        bus.units, [](const SiteUnit& unit) { return unit.result == SiteResult::Refused; });
    bus.verified = everyUnitAtItsFile && noneRefused;
    return Outcome::completed();
}

// The run ended before a survey could prove anything: every planned unit keeps what its step
// concluded, and the units no step reached were not done.
void endUnverified(SiteBus& bus, const UnitOutcomes& outcomes, const SiteObserver& observer) {
    for (std::size_t i = 0; i < bus.units.size(); ++i) {
        SiteUnit& unit = bus.units[i];
        if (unit.action != SiteAction::Upgrade) continue;
        takeStepOutcome(unit, outcomes[i]);
        tell(observer, bus, i);
    }
}

// Why the run ended before its end, in words that say where. A bus ends completed, stopped,
// line lost or in an error: a port that would not open again is an error.
Outcome endedDuring(const Outcome& end, const char* where) {
    Outcome said = end.cutShort() ? end : Outcome::error(end.reason);
    said.reason += std::string(" ") + where;
    return said;
}

void survey(OperationContext& context, SiteBus& bus, const SiteOptions& options,
            std::vector<SurveyedUnit>& plan, FirmwareShelf& shelf) {
    auto table = std::make_unique<SurveyTable>();
    SurveyOutcome outcome;
    try {
        surveyBus(context, *table, outcome);
    } catch (...) {
        bus.opened = outcome.portOpened; // the report says so whatever ended the survey
        throw;
    }
    bus.opened = outcome.portOpened;
    if (!bus.opened) {
        bus.end = Outcome::error(PortSession::kOpenFailed);
        return;
    }
    // A survey cut short plans nothing: a plan from half a bus would touch units on half a view.
    if (!outcome.end.succeeded()) {
        bus.end = endedDuring(outcome.end, "during the first survey");
        return;
    }
    plan = surveyedUnits(*table, outcome);
    planUnits(plan, options, shelf);
    for (const SurveyedUnit& unit : plan)
        bus.units.push_back(unit.unit);
}

void upgradeAndVerify(OperationContext& context, SiteBus& bus, const SiteOptions& options,
                      const std::vector<SurveyedUnit>& plan, FirmwareShelf& shelf,
                      const SiteObserver& observer) {
    UnitOutcomes outcomes(plan.size());
    runSteps(context, siteSteps(plan, options.model, shelf), plan, observer, outcomes);
    if (context.ended()) {
        bus.end = endedDuring(context.endOfRun(), everyUnitConcluded(bus, outcomes)
                                                      ? "after the last upgrade"
                                                      : "during the upgrades");
        endUnverified(bus, outcomes, observer);
        return;
    }
    const Outcome verifying = verify(context, bus, outcomes, observer);
    if (!verifying.succeeded()) {
        bus.end = endedDuring(verifying, "during the verifying survey");
        endUnverified(bus, outcomes, observer);
    }
}

void runBus(OperationContext& context, SiteBus& bus, const SiteOptions& options,
            const SiteObserver& observer) {
    FirmwareShelf shelf(context.trust);
    std::vector<SurveyedUnit> plan;
    survey(context, bus, options, plan, shelf);
    if (!bus.end.succeeded()) {
        if (bus.opened) reportLines(context.console, siteResultLines(bus));
        return;
    }
    reportLines(context.console, sitePlanLines(bus));
    if (observer.planned) observer.planned(bus);
    if (options.planOnly) return;
    upgradeAndVerify(context, bus, options, plan, shelf, observer);
    reportLines(context.console, siteResultLines(bus));
}

} // namespace

SiteBus runSite(OperationContext& context, const std::string& port, const SiteOptions& options,
                const SiteObserver& observer) {
    SiteBus bus;
    bus.port = port;
    bus.planOnly = options.planOnly;
    // Whatever ends the run, the bus comes back with its units as far as they were known.
    try {
        runBus(context, bus, options, observer);
    } catch (const std::exception& error) {
        context.link.port().ClosePort();
        context.console.message(MessageKind::Error, error.what());
        bus.end = Outcome::error(error.what());
        bus.verified = false;
    }
    return bus;
}

bool siteSucceeded(const SiteBus& bus) {
    return siteOutcome(bus).succeeded();
}
