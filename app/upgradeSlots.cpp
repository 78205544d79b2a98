// The upgrade page's handlers: the two type choices and the Upgrade button, over the engine's
// choice table and dispatcher.

#include "fwUpgrade.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <QCheckBox>
#include <QPushButton>

#include <memory>

namespace {

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
    auto opened = std::make_shared<bool>(false);
    const bool started = runOperation(
        [this, settings, runScope, opened] {
            PortSession port(link);
            if (!port.opened()) return;
            *opened = true;
            UpgradeRun run{context(), settings, runScope, image, foundUnits};
            RunUpgrade(run);
        },
        RunLog::Status, btnUpgrade, [this, opened] { upgradeEnded(*opened); });
    if (started) pnlUpgrade->setEnabled(false);
}

// The page is idle again however the run ended, a comms log failure included.
void TForm1::upgradeEnded(bool portOpened) {
    pnlUpgrade->setEnabled(true);
    if (portOpened) ckbForceUpgrade->setChecked(false);
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
