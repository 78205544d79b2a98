#pragma once
// Page "Firmware Upgrade": the addresses and the kind of run on the left, the status log and the
// progress bar, and the line that gives the last run's verdict from its Outcome. It talks to the
// bus only through its controller; the bus's status lines and progress are shown here.

#include "busController.h"

#include <QWidget>

class LogView;
class MaskedEdit;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class RadioGroup;

class UpgradePage : public QWidget {
    Q_OBJECT
public:
    UpgradePage(BusController& bus, QWidget* parent = nullptr);

    UpgradeType upgradeType() const;
    // "&Upgrade", the window's default button: Enter on the page clicks it.
    QPushButton* defaultButton() const { return btnUpgrade_; }
    LogView* statusLog() const { return mmoStatus_; }

private:
    void build();
    void connectBus();
    void unitTypeClicked();
    void upgradeClicked();
    void upgradeEnded(const Outcome& outcome);
    // The page's choices as plain settings for the engine.
    UpgradeSettings upgradeSettings() const;

    BusController& bus_;
    QWidget* pnlUpgrade_ = nullptr;
    MaskedEdit* edtControllerLA_ = nullptr;
    MaskedEdit* edtTerminalLA_ = nullptr;
    RadioGroup* rgUnitType_ = nullptr;
    RadioGroup* rgUpgradeType_ = nullptr;
    QCheckBox* ckbForceUpgrade_ = nullptr;
    QPushButton* btnUpgrade_ = nullptr;
    LogView* mmoStatus_ = nullptr;
    QProgressBar* pgrProgress_ = nullptr;
    QLabel* lblUpgrade_ = nullptr;
};
