#pragma once
// The main window: the four pages over the one bus controller it owns, the menus, the Extend
// Timeout dialog, and the window's own duties (caption, close question, tabs, default button).

#include "busController.h"
#include "windowDialogs.h"

#include <QMainWindow>

#include <functional>

class LogView;
class RunButtons;
class SitePage;
class SystemToolsPage;
class TfrmExtTimeout;
class UpgradePage;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTabWidget;

class TForm1 : public QMainWindow, public WindowDialogs {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    BusController& bus() { return bus_; } // the bus the window shows: every operation runs there
    // An operation runs, or its end is not yet handled.
    bool running() const { return bus_.running() != BusOperation::None; }

public slots:
    void ExtendedTimeouts1Click();
    void mnuVerClick();
    void Save1Click();
    void Open1Click();
    void Network1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter clicks "&Upgrade", the default button, unless the control with the focus takes it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void buildWindow();
    void buildMenus();
    void buildTrustBar();
    void buildPortMenu(QMenu* config);
    void buildBaudMenu(QMenu* config);
    void attachReportMenu(LogView* log);
    // The bus's questions to the boxes that ask them; a close asked during a run follows it.
    void connectBus();
    LogView* showingLog() const;
    // Closing during a run: true when it is to end (as the operator chose) and the window close.
    bool askStopForClose();
    // Runs a handler so that no exception reaches the event loop.
    void guarded(const std::function<void()>& handler);

    BusController bus_;
    TfrmExtTimeout* frmExtTimeout = nullptr;
    QTabWidget* pgUpgrade = nullptr;
    UpgradePage* upgradePage_ = nullptr;
    SystemToolsPage* systemToolsPage_ = nullptr;
    SitePage* sitePage_ = nullptr;
    QLabel* lblTrustedKey = nullptr;     // shown while a key is set (trustedKey.h)
    QAction* ClearTrustedKey1 = nullptr; // enabled while a key is set
    QMenu* pumReport = nullptr;
    QActionGroup* portItems = nullptr;
    QActionGroup* baudItems = nullptr;
    QAction* Network1 = nullptr;
    RunButtons* runButtons_ = nullptr;
    bool closePending_ = false;
    QAction* chosenPortItem_ = nullptr; // the Port item that holds, if no address is given
    QString networkAddress_;            // the last one, offered again for the rest of the run
};
