// Handlers of the maintenance commands: the Misc page's four "OK" buttons and "&Reset".
// Each reads its fields into plain settings and hands them to the engine.

#include "fwUpgrade.h"
#include "maskedEdit.h"

#include <QCheckBox>
#include <QRadioButton>

namespace {

// One byte per character, as the units take them.
std::string fieldOf(const MaskedEdit* edit) {
    return edit->fieldText().toLatin1().toStdString();
}

} // namespace

void TForm1::btnSetLAClick() {
    const SetLaSettings settings{rbnContr->isChecked(), fieldOf(edtFA), fieldOf(edtLA)};
    bus_.setLogicalAddress(settings);
}

void TForm1::btnSetMessClick() {
    const DefaultMessageSettings settings{
        fieldOf(edtMessLA), {fieldOf(medLine1), fieldOf(medLine2), fieldOf(medLine3)}};
    bus_.setDefaultMessage(settings);
}

void TForm1::btnPortClick() {
    const Port2Settings settings{fieldOf(edtPortLA), rbRS485->isChecked()};
    bus_.configurePort2(settings);
}

void TForm1::btnClearMemClick() {
    const ClearMemorySettings settings{fieldOf(edtClrLA), ckbClrAll->isChecked()};
    bus_.clearMemory(settings);
}

void TForm1::btnResetClick() {
    bus_.resetNetwork();
}
