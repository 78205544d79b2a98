// Handlers of the line diagnostics: "&Comms Test" (the comms test, or the fast-poll display
// when "Online and timeout diagnostics" is ticked) and the check box that switches the
// "Unit CLA:" box between the two.

#include "fwUpgrade.h"
#include "maskedEdit.h"
#include "tools/lineDiagnostics.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

const QString kUnitCLAMask = QStringLiteral("!>AA:AA;0;_");
const QString kUnitLAMask = QStringLiteral("!>AA;0;_");

std::string fieldOf(const MaskedEdit* edit) {
    return edit->fieldText().toLatin1().toStdString();
}

} // namespace

void TForm1::btnCommsTestClick() {
    // While a run is on, the button is its stop: each click raises the run state.
    if (commsRunState.running()) {
        commsRunState.click();
        return;
    }
    if (gate.busy()) return; // another operation holds the port
    const LineDiagnosticsSettings settings{ckFastPoll->isChecked(), fieldOf(edtCLA),
                                           fieldOf(edtCycles)};
    commsRunState.click();
    signal.clearStop();
    enterBusy(btnCommsTest, {btnPing, edtCycles, edtCLA});
    runOperation([&] { runLineDiagnostics(context(), survey, commsRunState, settings); },
                 RunLog::Report);
    leaveBusy();
    // Enabled again in either mode, as they were before the mode switch disabled one.
    btnPing->setEnabled(true);
    edtCycles->setEnabled(true);
    edtCLA->setEnabled(true);
    commsRunState.finish();
}

void TForm1::ckFastPollClick() {
    const bool fastPoll = ckFastPoll->isChecked();
    edtCycles->setEnabled(!fastPoll);
    edtCLA->setEditMask(fastPoll ? kUnitLAMask : kUnitCLAMask);
    edtCLA->setFieldText(fastPoll ? QStringLiteral("01") : QStringLiteral("FFFF"));
}
