// The upgrade page's handlers: the two type choices and the Upgrade button, over the engine's
// choice table and dispatcher.

#include "fwUpgrade.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

const QString kUpgradeCaption = QStringLiteral("&Upgrade");
const QString kStopCaption = QStringLiteral("&Stop");
const QString kSkipCaption = QStringLiteral("&Skip");

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

void TForm1::btnUpgradeClick() {
    // During a run the button only raises the operator's signal for the running procedure.
    if (btnUpgrade->text() == kStopCaption) {
        signal.requestStop();
        return;
    }
    if (btnUpgrade->text() == kSkipCaption) {
        signal.requestSkip();
        return;
    }
    runOperation([this] { upgradeRun(); });
}

// The page is idle again however the run ends, a comms log failure included.
class TForm1::RunningPage {
public:
    explicit RunningPage(TForm1& form) : form_(form) {
        form_.pnlUpgrade->setEnabled(false);
        form_.pnlPing->setEnabled(true);
        form_.btnUpgrade->setText(kStopCaption);
    }
    ~RunningPage() {
        form_.pnlUpgrade->setEnabled(true);
        form_.pnlPing->setEnabled(true);
        form_.btnUpgrade->setText(kUpgradeCaption);
        form_.ckbForceUpgrade->setChecked(false);
        form_.signal.clearStop();
        form_.signal.clearSkip();
    }
    RunningPage(const RunningPage&) = delete;
    RunningPage& operator=(const RunningPage&) = delete;

private:
    TForm1& form_;
};

void TForm1::upgradeRun() {
    PortSession session(link);
    if (!session.opened()) return;
    RunningPage running(*this);
    UpgradeRun run{context(), upgradeSettings(), scope, image, foundUnits};
    RunUpgrade(run);
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

void TForm1::searchingUnits(bool searching) {
    btnUpgrade->setText(searching ? kSkipCaption : kStopCaption);
}
