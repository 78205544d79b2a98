#pragma once
// Page "System Tools": the survey ("&Ping"), the comms test or fast-poll display, and the
// network reset, above the report log where the bus's report lines and the comms test's labels
// are shown. It talks to the bus only through its controller.

#include "busController.h"

#include <QWidget>

class LogView;
class MaskedEdit;
class QCheckBox;
class QLabel;
class QPushButton;

class SystemToolsPage : public QWidget {
    Q_OBJECT
public:
    SystemToolsPage(BusController& bus, QWidget* parent = nullptr);

    LogView* reportLog() const { return mmoReport_; }

private:
    QWidget* buildCommsTestPanel(QWidget* parent);
    void buildReportLog();
    void connectBus();
    void commsTestClicked();
    void fastPollClicked();
    // The test's inputs, disabled while it runs and enabled again in either mode at its end.
    void enableInputs(bool enabled);

    BusController& bus_;
    MaskedEdit* edtCLA_ = nullptr;
    MaskedEdit* edtCycles_ = nullptr;
    QPushButton* btnCommsTest_ = nullptr;
    QCheckBox* ckFastPoll_ = nullptr;
    QLabel* lblCycle_ = nullptr;
    QLabel* lblCLA_ = nullptr;
    QLabel* lblProgress_ = nullptr;
    LogView* mmoReport_ = nullptr;
};
