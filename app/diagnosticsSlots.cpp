// Handlers of the line diagnostics: "&Comms Test" (the comms test, or the fast-poll display
// when "Online and timeout diagnostics" is ticked) and the check box that switches the
// "Unit CLA:" box between the two.

#include "fwUpgrade.h"
#include "maskedEdit.h"

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
    if (bus_.running() == BusOperation::CommsTest) {
        bus_.stop();
        return;
    }
    const bool started = ckFastPoll->isChecked()
                             ? bus_.fastPoll(fieldOf(edtCLA))
                             : bus_.commsTest(fieldOf(edtCLA), fieldOf(edtCycles));
    if (!started) return;
    for (QWidget* input : {static_cast<QWidget*>(edtCycles), static_cast<QWidget*>(edtCLA)})
        input->setEnabled(false);
}

void TForm1::ckFastPollClick() {
    const bool fastPoll = ckFastPoll->isChecked();
    edtCycles->setEnabled(!fastPoll);
    edtCLA->setEditMask(fastPoll ? kUnitLAMask : kUnitCLAMask);
    edtCLA->setFieldText(fastPoll ? QStringLiteral("01") : QStringLiteral("FFFF"));
}
