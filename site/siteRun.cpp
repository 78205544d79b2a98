#include "site/siteRun.h"

#include "link/operation.h"
#include "site/finishOffer.h"
#include "site/firmwareShelf.h"
#include "site/sitePlan.h"
#include "site/siteReport.h"
#include "site/siteSteps.h"
#include "site/siteVerdict.h"
#include "site/stepConsole.h"
#include "tools/surveyLines.h"
#include "upgrade/dispatcher.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

namespace {

constexpr char kVerifying[] = "Site: survey to verify";
constexpr char kNoFiles[] = "No firmware files for the units found in the working folder";
// A repaired controller hides its terminals until it runs, and the verifying survey finds them:
// each pass plans what the last survey found behind. Bounded, so that a unit that keeps coming
// back behind cannot keep the run going.
constexpr int kMaxPasses = 3;
// After a failed step the controllers take a while to resume polling their terminals (the
// run's closing broadcasts restart them); a survey at once finds units missing.
constexpr std::uint32_t kSettleMs = 3000;
constexpr std::uint32_t kPauseSliceMs = 100;

// One pass's view of the bus: the units of the survey it plans from, in tree order, and where
// each stands in the bus's report.
struct PassPlan {
    std::vector<SurveyedUnit> units;
    std::vector<std::size_t> busIndex;
};

void tell(const SiteObserver& observer, const SiteBus& bus, std::size_t index) {
    if (observer.unitChanged) observer.unitChanged(index, bus.units[index]);
}

void reportLines(Console& console, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        console.report(line);
}

// The step's units as the procedures name them, each with its row in the site.
std::vector<StepConsole::Row> stepRows(const SiteStep& step, const PassPlan& plan) {
    std::vector<StepConsole::Row> rows;
    for (std::size_t index : step.units)
        rows.push_back({plan.units[index].unit.address, plan.busIndex[index]});
    return rows;
}

Outcome runStep(OperationContext& context, const SiteStep& step, const PassPlan& plan,
                const SiteObserver& observer, FirmwareImage& image) {
    context.console.status(step.title);
    StepConsole console(context.console, observer.progress, observer.scanning,
                        stepRows(step, plan));
    PortSession port(context.link);
    if (!port.opened()) {
        for (std::size_t index : step.units)
            context.units.failed(plan.units[index].unit.address, PortSession::kOpenFailed);
        return Outcome::failed(PortSession::kOpenFailed);
    }
    FoundUnits found;
    FinishOffer finish(context, plan.units[step.units.front()].unit.kind, image);
    console.followFinish(finish);
    UpgradeRun run{
        {context.link, console, context.clock, context.control, context.trust, context.units},
        step.settings,
        step.scope,
        image,
        found};
    const Outcome end = RunUpgrade(run);
    finish.stepEnded();
    return end;
}

struct StepsRun {
    bool failed = false; // a step failed on a unit
};

// Runs the pass's steps until the last one or a Stop (or a lost line). The units of every step
// that ran are marked in stepped, by bus index: a later pass does not take them again.
StepsRun runSteps(OperationContext& context, const PassPlan& plan, const SiteOptions& options,
                  FirmwareShelf& shelf, const SiteObserver& observer, std::vector<bool>& stepped) {
    auto image = std::make_unique<FirmwareImage>();
    StepsRun run;
    const std::vector<SiteStep> steps = siteSteps(plan.units, options.model, shelf);
    for (std::size_t number = 0; number < steps.size(); ++number) {
        const SiteStep& step = steps[number];
        if (context.ended()) return run;
        if (observer.stepStarted)
            observer.stepStarted(step.title, static_cast<int>(number + 1),
                                 static_cast<int>(steps.size()), *image);
        const Outcome end = runStep(context, step, plan, observer, *image);
        for (std::size_t index : step.units)
            stepped[plan.busIndex[index]] = true;
        run.failed = run.failed || end.kind == OutcomeKind::Failed;
        if (end.cutShort()) return run;
    }
    return run;
}

// Every unit of the pass came to its own end (whatever it concluded): what ended the run came
// after the last upgrade.
bool everyUnitConcluded(const OperationContext& context, const PassPlan& plan,
                        const std::vector<bool>& stepped) {
    for (std::size_t k = 0; k < plan.units.size(); ++k) {
        if (plan.units[k].unit.action != SiteAction::Upgrade) continue;
        const UnitLife* life = context.units.find(plan.units[k].unit.address);
        if (!stepped[plan.busIndex[k]]) return false;
        if (life != nullptr && (life->inHand() || life->stage == UnitStage::NotReached))
            return false;
    }
    return true;
}

// Waits out ms unless the run ends first.
void settle(OperationContext& context, std::uint32_t ms) {
    for (std::uint32_t waited = 0; waited < ms && !context.ended(); waited += kPauseSliceMs)
        context.link.pause(kPauseSliceMs);
}

std::size_t answering(const std::vector<SurveyedUnit>& units) {
    return static_cast<std::size_t>(std::count_if(
        units.begin(), units.end(), [](const SurveyedUnit& u) { return u.answered; }));
}

struct Survey {
    Outcome end;
    bool portOpened = false;
    std::vector<SurveyedUnit> units; // tree order
};

Survey surveyUnits(OperationContext& context, bool* portOpened = nullptr) {
    auto table = std::make_unique<SurveyTable>();
    SurveyOutcome outcome;
    try {
        surveyBus(context, *table, outcome);
    } catch (...) {
        // The report says whether the port opened whatever ended the survey.
        if (portOpened != nullptr) *portOpened = outcome.portOpened;
        throw;
    }
    Survey survey{outcome.end, outcome.portOpened, {}};
    if (outcome.end.succeeded()) survey.units = surveyedUnits(*table, outcome);
    return survey;
}

// The verifying survey: after a failed step the bus is given time to settle first, and a survey
// that finds fewer units than the bus is known to hold is asked once more before it counts.
Survey verifyingSurvey(OperationContext& context, bool afterFailure, std::size_t known) {
    if (afterFailure) settle(context, kSettleMs);
    context.console.status(kVerifying);
    Survey survey = surveyUnits(context);
    if (!survey.end.succeeded() || answering(survey.units) >= known || context.ended())
        return survey;
    settle(context, kSettleMs);
    context.console.status(kVerifying);
    return surveyUnits(context);
}

const SurveyedUnit* findUnit(const std::vector<SurveyedUnit>& units, std::uint32_t fixedAddress) {
    const auto it = std::find_if(units.begin(), units.end(), [&](const SurveyedUnit& u) {
        return u.unit.fixedAddress == fixedAddress;
    });
    return it == units.end() ? nullptr : &*it;
}

// A unit the pass's steps were to work on.
bool inPass(const PassPlan& plan, std::size_t busIndex) {
    for (std::size_t k = 0; k < plan.units.size(); ++k)
        if (plan.busIndex[k] == busIndex) return plan.units[k].unit.action == SiteAction::Upgrade;
    return false;
}

// The run ended before a survey could prove anything: every unit of the pass is as the run's
// ledger left it.
void endUnverified(OperationContext& context, SiteBus& bus, const PassPlan& plan,
                   const SiteObserver& observer) {
    context.units.runEnded(bus.end.reason);
    for (std::size_t i = 0; i < bus.units.size(); ++i) {
        if (!inPass(plan, i)) continue;
        concludeFromLedger(bus.units[i], context.units.find(bus.units[i].address), bus.end);
        tell(observer, bus, i);
    }
}

// The verdict on every planned unit from what the survey read; true when each runs its file.
bool concludeAll(const OperationContext& context, SiteBus& bus,
                 const std::vector<SurveyedUnit>& found, const SiteObserver& observer) {
    bool everyUnit = true;
    for (std::size_t i = 0; i < bus.units.size(); ++i) {
        SiteUnit& unit = bus.units[i];
        const SurveyedUnit* now = findUnit(found, unit.fixedAddress);
        if (now != nullptr && now->answered && !now->upgradeMode)
            unit.after = versionText(now->version);
        if (unit.action != SiteAction::Upgrade) continue;
        everyUnit = concludeFromSurvey(unit, context.units.find(unit.address), now) && everyUnit;
        tell(observer, bus, i);
    }
    return everyUnit;
}

// The next pass: the units of the survey that are behind (or new and behind) and that no step of
// this run has worked on; the bus takes in the units it did not know, at the end of its list.
PassPlan nextPass(SiteBus& bus, std::vector<SurveyedUnit> found, std::vector<bool>& stepped,
                  const SiteOptions& options, FirmwareShelf& shelf) {
    planUnits(found, options, shelf);
    PassPlan plan;
    for (SurveyedUnit& surveyed : found) {
        const auto known = std::find_if(bus.units.begin(), bus.units.end(), [&](const SiteUnit& u) {
            return u.fixedAddress == surveyed.unit.fixedAddress;
        });
        std::size_t index = static_cast<std::size_t>(known - bus.units.begin());
        if (known == bus.units.end()) {
            bus.units.push_back(surveyed.unit);
            stepped.push_back(false);
        } else if (surveyed.unit.action == SiteAction::Upgrade && stepped[index]) {
            // A step of this run has had its turn at the unit: another would do the same (and a
            // remote, whose version the plan cannot compare, would never be done).
            surveyed.unit.action = SiteAction::UpToDate;
        } else if (surveyed.unit.action == SiteAction::Upgrade) {
            SiteUnit& unit = bus.units[index];
            unit.action = SiteAction::Upgrade;
            unit.file = surveyed.unit.file;
            unit.fileVersion = surveyed.unit.fileVersion;
            unit.result = SiteResult::Planned;
            unit.reason.reset();
        }
        plan.busIndex.push_back(index);
        plan.units.push_back(std::move(surveyed));
    }
    return plan;
}

bool plansAny(const PassPlan& plan) {
    return std::any_of(plan.units.begin(), plan.units.end(),
                       [](const SurveyedUnit& u) { return u.unit.action == SiteAction::Upgrade; });
}

// Why the run ended before its end, in words that say where. A bus ends completed, stopped,
// line lost or in an error: a port that would not open again is an error.
Outcome endedDuring(const Outcome& end, const char* where) {
    Outcome said = end.cutShort() ? end : Outcome::error(end.reason);
    said.reason += std::string(" ") + where;
    return said;
}

std::optional<PassPlan> firstSurvey(OperationContext& context, SiteBus& bus,
                                    const SiteOptions& options, FirmwareShelf& shelf) {
    Survey survey = surveyUnits(context, &bus.opened);
    bus.opened = survey.portOpened;
    if (!bus.opened) {
        bus.end = Outcome::error(PortSession::kOpenFailed);
        return std::nullopt;
    }
    // A survey cut short plans nothing: a plan from half a bus would touch units on half a view.
    if (!survey.end.succeeded()) {
        bus.end = endedDuring(survey.end, "during the first survey");
        return std::nullopt;
    }
    planUnits(survey.units, options, shelf);
    PassPlan plan;
    for (SurveyedUnit& unit : survey.units) {
        plan.busIndex.push_back(bus.units.size());
        bus.units.push_back(unit.unit);
        plan.units.push_back(std::move(unit));
    }
    return plan;
}

// The run's ledger knows every planned unit by its fixed address and its version before, as
// the survey read them, whichever procedure reaches it.
void tellPlanned(OperationContext& context, const PassPlan& plan) {
    for (const SurveyedUnit& surveyed : plan.units) {
        const SiteUnit& unit = surveyed.unit;
        if (unit.action != SiteAction::Upgrade) continue;
        context.units.identified(unit.address, hexText::fixedAddress(unit.fixedAddress),
                                 unit.productId, unit.before);
    }
}

void upgradeAndVerify(OperationContext& context, SiteBus& bus, const SiteOptions& options,
                      PassPlan plan, FirmwareShelf& shelf, const SiteObserver& observer) {
    std::vector<bool> stepped(bus.units.size(), false);
    for (bus.passes = 1;; ++bus.passes) {
        tellPlanned(context, plan);
        const StepsRun steps = runSteps(context, plan, options, shelf, observer, stepped);
        if (context.ended()) {
            bus.end = endedDuring(context.endOfRun(), everyUnitConcluded(context, plan, stepped)
                                                          ? "after the last upgrade"
                                                          : "during the upgrades");
            endUnverified(context, bus, plan, observer);
            return;
        }
        const Survey found = verifyingSurvey(context, steps.failed, answering(plan.units));
        if (!found.end.succeeded()) {
            bus.end = endedDuring(found.end, "during the verifying survey");
            endUnverified(context, bus, plan, observer);
            return;
        }
        const std::size_t knownBefore = bus.units.size();
        bool proven = concludeAll(context, bus, found.units, observer);
        plan = nextPass(bus, found.units, stepped, options, shelf);
        const bool more = plansAny(plan) || bus.units.size() != knownBefore;
        if (more && observer.planned) observer.planned(bus);
        if (!plansAny(plan)) {
            // A refused unit is not proven either way: the bus's outcome says it is refused.
            bus.verified = proven && leftInBootLoader(bus).empty() && sharedAddresses(bus).empty();
            return;
        }
        if (bus.passes == kMaxPasses) {
            context.console.status("Site: units still behind after " + std::to_string(kMaxPasses) +
                                   " passes");
            return;
        }
        context.console.status("Site: pass " + std::to_string(bus.passes + 1) + " of " +
                               std::to_string(kMaxPasses) +
                               ", for the units the survey found behind or new");
        reportLines(context.console, sitePlanLines(bus));
    }
}

// Whether a unit found a file in the working folder that reads: one to upgrade to, or its own.
bool anyFile(const SiteBus& bus) {
    return std::any_of(bus.units.begin(), bus.units.end(), [](const SiteUnit& unit) {
        return unit.action == SiteAction::Upgrade || unit.action == SiteAction::UpToDate;
    });
}

// The units the first pass upgrades together, as the estimate of the run counts them.
void markBroadcasts(SiteBus& bus, const PassPlan& plan, const SiteOptions& options,
                    FirmwareShelf& shelf) {
    for (const SiteStep& step : siteSteps(plan.units, options.model, shelf)) {
        if (step.settings.upgradeType == UpgradeType::SingleUnit) continue;
        for (std::size_t index : step.units)
            bus.units[plan.busIndex[index]].broadcastStep = step.title;
    }
}

void runBus(OperationContext& context, SiteBus& bus, const SiteOptions& options,
            const SiteObserver& observer) {
    FirmwareShelf shelf(context.trust);
    std::optional<PassPlan> plan = firstSurvey(context, bus, options, shelf);
    if (!plan) {
        if (bus.opened) reportLines(context.console, siteResultLines(bus));
        return;
    }
    markBroadcasts(bus, *plan, options, shelf);
    reportLines(context.console, sitePlanLines(bus));
    if (observer.planned) observer.planned(bus);
    if (options.planOnly) return;
    // Declined, or stopped while asked: nothing was touched, and the plan is the run's report.
    if (!plannedNothing(bus) && observer.goOn && (!observer.goOn(bus) || context.ended())) {
        bus.planOnly = true;
        return;
    }
    if (plannedNothing(bus)) {
        if (!bus.units.empty() && !anyFile(bus)) context.console.status(kNoFiles);
    } else {
        upgradeAndVerify(context, bus, options, std::move(*plan), shelf, observer);
    }
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
