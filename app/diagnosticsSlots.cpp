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
    // While its run is on, the button is its Stop.
    if (runButton_ == btnCommsTest) {
        session.control().requestStop();
        return;
    }
    const LineDiagnosticsSettings settings{ckFastPoll->isChecked(), fieldOf(edtCLA),
                                           fieldOf(edtCycles)};
    const QList<QWidget*> inputs{edtCycles, edtCLA};
    const bool started =
        runOperation([this, settings] { runLineDiagnostics(context(), survey, settings); },
                     RunLog::Report, btnCommsTest,
                     [inputs] {
                         // Enabled again in either mode, as they were before the mode switch
                         // disabled one.
                         for (QWidget* input : inputs)
                             input->setEnabled(true);
                     });
    if (!started) return;
    for (QWidget* input : inputs)
        input->setEnabled(false);
}

void TForm1::ckFastPollClick() {
    const bool fastPoll = ckFastPoll->isChecked();
    edtCycles->setEnabled(!fastPoll);
    edtCLA->setEditMask(fastPoll ? kUnitLAMask : kUnitCLAMask);
    edtCLA->setFieldText(fastPoll ? QStringLiteral("01") : QStringLiteral("FFFF"));
}
