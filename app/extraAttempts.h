#pragma once
// The Extra Attempts dialog: how many more times a request that is safe to repeat is sent when
// its reply is lost on a noisy line. The value lives with the session's transaction, beside the
// minimum reply time-out; the dialog only shows and sets it. Modeless; hidden and shown, never
// rebuilt.

#include <QDialog>

class QPushButton;
class QSpinBox;
class BusController;

class TfrmExtraAttempts : public QDialog {
    Q_OBJECT
public:
    TfrmExtraAttempts(BusController& bus, QWidget* parent = nullptr);

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QSpinBox* sedtExtraAttempts = nullptr;

public slots:
    void OKBtnClick();
    void CancelBtnClick();
    void reject() override; // Esc and the close button act as Cancel

private:
    void buildControls();

    BusController& bus_;
};

// Config > Extra Attempts...: shows the window's dialog (made at its first showing) with the
// value in force.
TfrmExtraAttempts* showExtraAttempts(QWidget& owner, BusController& bus);
