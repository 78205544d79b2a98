#include "site/siteVerdict.h"

#include "tools/surveyLines.h"

namespace {

constexpr char kNotFound[] = "not found";
constexpr char kBehind[] = "not at its file's version after the run";
constexpr char kInBootLoader[] = "in its boot loader";

bool runsItsFile(const SiteUnit& unit, const SurveyedUnit& found) {
    if (!found.answered || found.upgradeMode) return false;
    // A remote's image carries no version: it counts once it answers from its application.
    if (unit.kind == SiteUnitKind::Remote) return true;
    return unit.fileVersion && versionText(found.version) == *unit.fileVersion;
}

void setResult(SiteUnit& unit, SiteResult result, std::optional<std::string> reason) {
    unit.result = result;
    unit.reason = std::move(reason);
}

} // namespace

bool failedInItsStep(const UnitRecord& record) {
    return record.outcome && (record.outcome->kind == OutcomeKind::Failed ||
                              record.outcome->kind == OutcomeKind::Refused);
}

void concludeFromStep(SiteUnit& unit, const UnitRecord& record) {
    if (!record.outcome) {
        setResult(unit, SiteResult::NotDone, std::nullopt);
        return;
    }
    const Outcome& outcome = *record.outcome;
    switch (outcome.kind) {
    case OutcomeKind::Completed:
        setResult(unit, SiteResult::Upgraded, std::nullopt);
        return;
    case OutcomeKind::Refused:
        setResult(unit, SiteResult::Refused, outcome.reason);
        return;
    case OutcomeKind::Failed:
        setResult(unit, SiteResult::Failed, outcome.reason);
        return;
    case OutcomeKind::Stopped:
    case OutcomeKind::LineLost:
    case OutcomeKind::Error:
        break;
    }
    if (record.wrotePages)
        setResult(unit, SiteResult::LeftInBootLoader, outcome.reason + " during its pages");
    else
        setResult(unit, SiteResult::NotDone, outcome.reason);
}

bool concludeFromSurvey(SiteUnit& unit, const UnitRecord& record, const SurveyedUnit* found) {
    if (found != nullptr && found->answered && found->upgradeMode) {
        const bool why = record.outcome && !record.outcome->reason.empty();
        setResult(unit, SiteResult::LeftInBootLoader,
                  why ? record.outcome->reason : std::string(kInBootLoader));
        return false;
    }
    if (found != nullptr && runsItsFile(unit, *found) && !failedInItsStep(record)) {
        setResult(unit, SiteResult::Upgraded, std::nullopt);
        return true;
    }
    if (failedInItsStep(record)) {
        concludeFromStep(unit, record);
    } else if (found == nullptr || !found->answered) {
        setResult(unit, SiteResult::NotVerified, std::string(kNotFound));
    } else if (!record.outcome) {
        setResult(unit, SiteResult::NotDone, std::nullopt);
    } else {
        setResult(unit, SiteResult::Failed, std::string(kBehind));
    }
    return false;
}
