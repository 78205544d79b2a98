#pragma once
// Page "Misc": four maintenance commands, each a panel with its own inputs and "OK" button: set
// a unit's logical address, set a controller's default message, configure its port 2, clear its
// memory. It talks to the bus only through its controller.

#include "busController.h"

#include <QWidget>

class MaskedEdit;
class QCheckBox;
class QRadioButton;
class RunButtons;

class MiscPage : public QWidget {
    Q_OBJECT
public:
    MiscPage(BusController& bus, QWidget* parent = nullptr);

private:
    QWidget* buildSetLAPanel();
    QWidget* buildSetMessagePanel();
    QWidget* buildSetPortPanel();
    QWidget* buildClearMemoryPanel();
    // The New LA field follows the kind of unit whose LA is set.
    void unitKindClicked(bool controller);

    BusController& bus_;
    RunButtons* starters_ = nullptr;
    QRadioButton* rbnContr_ = nullptr;
    MaskedEdit* edtFA_ = nullptr;
    MaskedEdit* edtLA_ = nullptr;
    MaskedEdit* edtMessLA_ = nullptr;
    MaskedEdit* medLine1_ = nullptr;
    MaskedEdit* medLine2_ = nullptr;
    MaskedEdit* medLine3_ = nullptr;
    MaskedEdit* edtPortLA_ = nullptr;
    QRadioButton* rbRS485_ = nullptr;
    MaskedEdit* edtClrLA_ = nullptr;
    QCheckBox* ckbClrAll_ = nullptr;
};
