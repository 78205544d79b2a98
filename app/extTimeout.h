#pragma once
// The Extend Timeout dialog: sets the minimum reply time-out of every reply wait and probes
// one unit's response time to help choose it. Modeless; hidden and shown, never rebuilt.

#include <QDialog>

class MaskedEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class BusController;

class TfrmExtTimeout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxTimeoutMs = 5000;
    static constexpr int kTimeoutStepMs = 100;

    TfrmExtTimeout(BusController& bus, QWidget* parent = nullptr);

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QSpinBox* sedtExtTimeout = nullptr;
    QPushButton* btnCalcTimeout = nullptr;
    MaskedEdit* edtTestTimeout = nullptr;
    QLabel* lblTestTimeout = nullptr;

public slots:
    void OKBtnClick();
    void CancelBtnClick();
    void btnCalcTimeoutClick();
    void reject() override; // Esc and the close button act as Cancel

private:
    void buildControls();
    void probeEnded();

    BusController& bus_;
};
