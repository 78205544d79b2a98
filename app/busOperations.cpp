// The bus's operations, each one call over the engine's procedure that it runs on the worker.

#include "busController.h"

#include "image/fileSelection.h"
#include "tools/networkSurvey.h"
#include "tools/responseProbe.h"
#include "trust/folderTrust.h"
#include "upgrade/dispatcher.h"

#include <memory>

// The run's port is opened here, so that the page can tell a run that never reached the bus.
bool BusController::upgrade(const UpgradeSettings& settings) {
    const ScopeFlags runScope = scope;
    const TrustSettings trust = session_.trustSettings();
    auto opened = std::make_shared<bool>(false);
    const auto work = [this, settings, runScope, trust, opened](OperationContext&) {
        PortSession port(session_.link());
        if (!port.opened()) return Outcome::failed(PortSession::kOpenFailed);
        *opened = true;
        // Read once, at the start of the run: every file it reads is held to the same list.
        const FirmwareTrust folder = ReadFirmwareTrust(trust);
        UpgradeRun upgradeRun{session_.context(folder), settings, runScope, image_, foundUnits_};
        return RunUpgrade(upgradeRun);
    };
    return start(BusOperation::Upgrade, work, RunLog::Status,
                 [this, opened] { upgradePortOpened_ = *opened; });
}

// The report reads into the image that an upgrade may be sending: one more reason it waits for
// the bus like an operation.
bool BusController::reportFileVersions(UpgradeType upgradeType) {
    const TrustSettings trust = session_.trustSettings();
    return run(BusOperation::FileVersions, [this, upgradeType, trust](OperationContext&) {
        ReportFileVersions(image_, *this, upgradeType, ReadFirmwareTrust(trust));
        return Outcome::completed();
    });
}

bool BusController::survey() {
    return run(
        BusOperation::Survey,
        [this](OperationContext& context) { return surveyBus(context, survey_).end; },
        RunLog::Report);
}

bool BusController::commsTest(const std::string& cla, const std::string& cycles) {
    const LineDiagnosticsSettings settings{false, cla, cycles};
    return run(
        BusOperation::CommsTest,
        [this, settings](OperationContext& context) {
            return runLineDiagnostics(context, survey_, settings).end;
        },
        RunLog::Report);
}

bool BusController::fastPoll(const std::string& la) {
    const LineDiagnosticsSettings settings{true, la, {}};
    return run(
        BusOperation::CommsTest,
        [this, settings](OperationContext& context) {
            return runLineDiagnostics(context, survey_, settings).end;
        },
        RunLog::Report);
}

bool BusController::setLogicalAddress(const SetLaSettings& settings) {
    return run(
        BusOperation::SetLogicalAddress,
        [settings](OperationContext& context) { return ::setLogicalAddress(context, settings); },
        RunLog::MessageBox);
}

bool BusController::setDefaultMessage(const DefaultMessageSettings& settings) {
    return run(
        BusOperation::DefaultMessage,
        [settings](OperationContext& context) { return ::setDefaultMessage(context, settings); },
        RunLog::MessageBox);
}

bool BusController::configurePort2(const Port2Settings& settings) {
    return run(
        BusOperation::Port2,
        [settings](OperationContext& context) { return ::configurePort2(context, settings); },
        RunLog::MessageBox);
}

bool BusController::clearMemory(const ClearMemorySettings& settings) {
    return run(
        BusOperation::ClearMemory,
        [settings](OperationContext& context) { return clearControllerMemory(context, settings); },
        RunLog::MessageBox);
}

bool BusController::resetNetwork() {
    return run(
        BusOperation::Reset, [](OperationContext& context) { return ::resetNetwork(context); },
        RunLog::Report);
}

// No log of its own: a failed line is told in a box. The measured value is only shown.
bool BusController::probeResponseTime(const std::string& address) {
    auto probe = std::make_shared<std::optional<ProbeOutcome>>();
    const auto work = [this, address, probe](OperationContext&) {
        *probe = ::probeResponseTime(session_.link(), address);
        return (*probe)->portOpened ? Outcome::completed()
                                    : Outcome::failed(PortSession::kOpenFailed);
    };
    // An error that ended it early leaves "no result".
    return start(BusOperation::ResponseProbe, work, RunLog::MessageBox, [this, probe] {
        probePortOpened_ = !probe->has_value() || (*probe)->portOpened;
        probeLabel_ = probe->has_value() ? (*probe)->label : std::string();
    });
}
