// The upgrade page's handlers: the two type choices and the Upgrade button, over the engine's
// choice table and dispatcher.

#include "fwUpgrade.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "trust/folderTrust.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <memory>

namespace {

// The verdict line of a run, from the one value the run returned and nothing it logged.
QString upgradeVerdict(const Outcome& outcome) {
    if (outcome.succeeded()) return QStringLiteral("Upgrade completed.");
    QString line = QStringLiteral("Upgrade %1").arg(QString::fromStdString(outcome.describe()));
    if (!outcome.unit.empty())
        line += QStringLiteral(" (unit %1)").arg(QString::fromStdString(outcome.unit));
    return line;
}

void applyBox(MaskedEdit* edit, const LABox& box) {
    edit->setFieldText(QString::fromStdString(box.text));
    edit->setEnabled(box.enabled);
}

} // namespace

void TForm1::rgUnitTypeClick() {
    const TypeChoice choice =
        ChooseUnitAndUpgradeType(static_cast<UnitType>(rgUnitType->itemIndex()),
                                 static_cast<UpgradeType>(rgUpgradeType->itemIndex()));
    applyBox(edtControllerLA, choice.controllerLA);
    applyBox(edtTerminalLA, choice.terminalLA);
    scope = choice.scope;
    rgUnitType->setEnabled(true);
    rgUpgradeType->setEnabled(true);
    if (choice.upgradeType != static_cast<UpgradeType>(rgUpgradeType->itemIndex())) {
        // Setting the group from here emits no click: run its handler as a click would.
        rgUpgradeType->setItemIndex(static_cast<int>(choice.upgradeType));
        rgUpgradeTypeClick();
    }
}

void TForm1::rgUpgradeTypeClick() {
    rgUnitTypeClick();
}

// During a run the button is the running procedure's Skip while it searches for units, and its
// Stop otherwise.
void TForm1::btnUpgradeClick() {
    if (runButton_ == btnUpgrade) {
        RunControl& control = session.control();
        if (control.phase() == RunPhase::Discovering)
            control.requestSkip();
        else
            control.requestStop();
        return;
    }
    const UpgradeSettings settings = upgradeSettings();
    const ScopeFlags runScope = scope;
    const TrustSettings trust = session.trustSettings();
    auto end = std::make_shared<UpgradeEnd>();
    const bool started = runOperation(
        [this, settings, runScope, trust, end] {
            PortSession port(link);
            if (!port.opened()) {
                end->outcome = Outcome::failed(PortSession::kOpenFailed);
                return;
            }
            end->portOpened = true;
            // Read once, at the start of the run: every file it reads is held to the same list.
            const FirmwareTrust folder = ReadFirmwareTrust(trust);
            UpgradeRun run{session.context(folder), settings, runScope, image, foundUnits};
            end->outcome = RunUpgrade(run);
        },
        RunLog::Status, btnUpgrade, [this, end] { upgradeEnded(*end); });
    if (!started) return;
    pnlUpgrade->setEnabled(false);
    lblUpgrade->hide();
}

// The page is idle again however the run ended, a comms log failure included.
void TForm1::upgradeEnded(const UpgradeEnd& end) {
    pnlUpgrade->setEnabled(true);
    if (end.portOpened) ckbForceUpgrade->setChecked(false);
    lblUpgrade->setText(upgradeVerdict(end.outcome.value_or(operationEnd_)));
    lblUpgrade->show();
}

UpgradeSettings TForm1::upgradeSettings() const {
    UpgradeSettings settings;
    settings.unitType = static_cast<UnitType>(rgUnitType->itemIndex());
    settings.upgradeType = static_cast<UpgradeType>(rgUpgradeType->itemIndex());
    settings.forceUpgrade = ckbForceUpgrade->isChecked();
    settings.controllerLA = edtControllerLA->fieldText().toStdString();
    settings.terminalLA = edtTerminalLA->fieldText().toStdString();
    return settings;
}
