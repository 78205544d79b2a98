// The whole-site run on the bus: "plan" surveys and plans, "upgrade site" brings every unit that
// is behind up to date once the operator has said Yes to what the plan proposes. The run's steps
// are told as signals; its bus is kept as the last site run once it has ended.

#include "busController.h"

#include "link/serialPort.h"
#include "site/siteEstimate.h"
#include "site/siteRun.h"
#include "trust/folderTrust.h"

#include <map>
#include <memory>

namespace {

// What a site run handed back: the last bus it delivered (none when an error ended it before
// it had one), and whether the operator declined the upgrade the plan proposed.
struct SiteRunResult {
    // The folder's trust, read by the run as it starts; its question's estimate reads it too.
    FirmwareTrust trust = FirmwareTrust::unread();
    std::optional<SiteBus> bus;
    bool declined = false;
};

// The units the run will not upgrade because their file was refused, counted by the reason:
// "2 refused: SHA256SUMS signature does not verify".
std::string refusedLines(const SiteBus& plan) {
    std::map<std::string, int> byReason;
    for (const SiteUnit& unit : plan.units)
        if (unit.result == SiteResult::Refused) ++byReason[unit.reason.value_or("refused")];
    std::string lines;
    for (const auto& [reason, count] : byReason)
        lines += "\n" + std::to_string(count) + " refused: " + reason;
    return lines;
}

} // namespace

bool BusController::plan(const SiteOptions& options) {
    SiteOptions planOnly = options;
    planOnly.planOnly = true;
    return runSiteOperation(planOnly);
}

bool BusController::upgradeSite(const SiteOptions& options) {
    SiteOptions whole = options;
    whole.planOnly = false;
    return runSiteOperation(whole);
}

// The observer's calls are queued to the controller's thread before the run's end is, so a
// receiver has every change by the time the run's end is told.
bool BusController::runSiteOperation(const SiteOptions& options) {
    auto result = std::make_shared<SiteRunResult>();
    SiteObserver observer;
    observer.planned = [this](const SiteBus& bus) {
        onOwnThread([this, bus] { emit sitePlanned(bus); });
    };
    observer.unitChanged = [this](std::size_t unit, const SiteUnit& shown) {
        onOwnThread([this, unit, shown] { emit siteUnitChanged(unit, shown); });
    };
    observer.progress = [this](std::size_t unit, int percent) {
        onOwnThread([this, unit, percent] { emit siteProgress(unit, percent); });
    };
    observer.stepStarted = [this](const std::string&, int, int, const FirmwareImage&) {
        onOwnThread([this] { emit siteStepStarted(); });
    };
    observer.scanning = [this](int la, int of) {
        onOwnThread([this, la, of] { emit siteScanning(la, of); });
    };
    if (!options.planOnly)
        observer.goOn = [this, options, result](const SiteBus& plan) {
            result->declined = !askSiteUpgrade(plan, options, result->trust);
            return !result->declined;
        };
    const std::string port = portName();
    const TrustSettings trust = session_.trustSettings();
    const auto work = [this, options, port, result, observer, trust](OperationContext&) {
        result->trust = ReadFirmwareTrust(trust);
        OperationContext context = session_.context(result->trust);
        result->bus = runSite(context, port, options, observer);
        return siteOutcome(*result->bus);
    };
    return start(BusOperation::Site, work, RunLog::Status, [this, result] {
        siteRunDone_ = true;
        siteRunTime_ = QDateTime::currentDateTime();
        lastSite_ = result->bus;
        siteDeclined_ = result->declined;
    });
}

// Asked on the worker once the plan is known, the files' pages read there too. A plan with
// nothing to upgrade asks nothing; the units it will not upgrade are named with why.
bool BusController::askSiteUpgrade(const SiteBus& plan, const SiteOptions& options,
                                   const FirmwareTrust& trust) {
    const std::uint32_t bitsPerSecond = baudRateBitsPerSecond(session_.port().ComPortSpeed());
    const SiteEstimate estimate =
        estimateWrites(plannedWrites(plan, options.model, trust), bitsPerSecond, extraAttempts());
    if (estimate.total() == 0) return true;
    const std::string refused = refusedLines(plan);
    const QString question =
        QString::fromStdString(siteQuestion(estimate, bitsPerSecond) +
                               (refused.empty() ? std::string() : "\n\nNot upgraded:" + refused));
    bool yes = false;
    askOnOwnThread([this, &yes, &question] { emit siteUpgradeAsked(question, &yes); });
    return yes;
}
