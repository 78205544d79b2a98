#include "site/siteVerdict.h"

#include "tools/surveyLines.h"

namespace {

constexpr char kNotFound[] = "not found";
// A unit slow to start again after its last reset, or one that lost its power since.
constexpr char kConfirmedNotFound[] = "confirmed running, then not found by the survey";
constexpr char kInBootLoader[] = "in its boot loader";
constexpr char kRestarted[] = "restarted into its boot loader";
constexpr char kConfirmedOnly[] = "confirmed running; no survey read its version";

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

// Why a unit the run had in hand sits in its boot loader.
std::string cutReason(const UnitLife& life, const Outcome& end) {
    if (life.stage == UnitStage::Failed || !life.reason.empty()) return life.reason;
    const std::string by = end.name();
    if (life.stage == UnitStage::Erased || life.stage == UnitStage::Writing)
        return by + " during its pages";
    return by + " while " + unitStageText(life.stage);
}

// "runs 1.05 after its upgrade", or why else it is not at its file's version.
std::string behindReason(const SurveyedUnit& found) {
    return "runs " + versionText(found.version) + " after its upgrade";
}

// Why the verifying survey found the unit in its boot loader: its own failure, or, confirmed
// running since it was asked, a restart the run did not make.
std::string bootLoaderReason(const UnitLife* life) {
    if (life != nullptr && !life->reason.empty()) return life->reason;
    if (life != nullptr && life->stage == UnitStage::ConfirmedRunning) return kRestarted;
    return kInBootLoader;
}

} // namespace

bool failedInItsStep(const UnitLife* life) {
    return life != nullptr &&
           (life->stage == UnitStage::Failed || life->stage == UnitStage::Refused);
}

void concludeFromLedger(SiteUnit& unit, const UnitLife* life, const Outcome& end) {
    const std::optional<std::string> why =
        end.succeeded() ? std::nullopt : std::optional(end.reason);
    if (life == nullptr) {
        setResult(unit, SiteResult::NotDone, why);
        return;
    }
    if (life->stage == UnitStage::Refused) {
        setResult(unit, SiteResult::Refused, life->reason);
    } else if (life->leftInBootLoader()) {
        setResult(unit, SiteResult::LeftInBootLoader, cutReason(*life, end));
    } else if (life->stage == UnitStage::ConfirmedRunning) {
        setResult(unit, SiteResult::NotVerified, std::string(kConfirmedOnly));
    } else if (life->stage == UnitStage::Failed) {
        setResult(unit, SiteResult::Failed, life->reason);
    } else {
        setResult(unit, SiteResult::NotDone, life->reason.empty() ? why : life->reason);
    }
}

bool concludeFromSurvey(SiteUnit& unit, const UnitLife* life, const SurveyedUnit* found) {
    if (found != nullptr && found->answered && found->upgradeMode) {
        setResult(unit, SiteResult::LeftInBootLoader, bootLoaderReason(life));
        return false;
    }
    if (found != nullptr && runsItsFile(unit, *found) && !failedInItsStep(life)) {
        setResult(unit, SiteResult::Upgraded, std::nullopt);
        return true;
    }
    // Asked into upgrade mode and never confirmed running since, and the survey did not see it
    // run: a remote's boot loader hides behind its terminal's answer, and a unit that does not
    // answer may be one without power that restarts in its boot loader.
    const bool unseen = found == nullptr || !found->answered;
    if (life != nullptr && life->leftInBootLoader() &&
        (unseen || unit.kind == SiteUnitKind::Remote)) {
        setResult(unit, SiteResult::LeftInBootLoader,
                  life->reason.empty() ? std::string(kInBootLoader) : life->reason);
        return false;
    }
    if (failedInItsStep(life)) {
        setResult(unit,
                  life->stage == UnitStage::Refused ? SiteResult::Refused : SiteResult::Failed,
                  life->reason);
    } else if (found == nullptr || !found->answered) {
        const bool confirmed = life != nullptr && life->stage == UnitStage::ConfirmedRunning;
        setResult(unit, SiteResult::NotVerified,
                  std::string(confirmed ? kConfirmedNotFound : kNotFound));
    } else if (life == nullptr || life->stage == UnitStage::Planned) {
        setResult(unit, SiteResult::NotDone, std::nullopt);
    } else {
        setResult(unit, SiteResult::Failed, behindReason(*found));
    }
    return false;
}
