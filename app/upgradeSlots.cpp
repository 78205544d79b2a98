// The upgrade page's handlers: the two type choices and the Upgrade button, over the engine's
// choice table and dispatcher.

#include "fwUpgrade.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "upgrade/typeChoice.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

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
    bus_.scope = choice.scope;
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
    if (bus_.running() == BusOperation::Upgrade) {
        if (bus_.phase() == RunPhase::Discovering)
            bus_.skip();
        else
            bus_.stop();
        return;
    }
    if (!bus_.upgrade(upgradeSettings())) return;
    pnlUpgrade->setEnabled(false);
    lblUpgrade->hide();
}

// The page is idle again however the run ended, a comms log failure included.
void TForm1::upgradeEnded(const Outcome& outcome) {
    pnlUpgrade->setEnabled(true);
    if (bus_.upgradePortOpened()) ckbForceUpgrade->setChecked(false);
    lblUpgrade->setText(upgradeVerdict(outcome));
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
