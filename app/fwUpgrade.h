#pragma once
// The main window: the whole user interface and the owner of the session of its bus (the port,
// the transaction, the run control and the worker thread that runs the operations) and of the
// Extend Timeout dialog.

#include "busController.h"

#include <QMainWindow>
#include <QMap>
#include <QMessageBox>

#include <functional>
#include <optional>

class LogView;
class RunButtons;
class UpgradePage;
class MaskedEdit;
class RadioGroup;
class SiteTree;
class TfrmExtTimeout;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kApplicationName = "Nexalo Firmware Upgrade";
    static constexpr const char* kVersion = "v6.8j";
    static constexpr const char* kLoggingModeSuffix = " - Logging Mode";

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The bus the window shows: every operation runs there.
    BusController& bus() { return bus_; }
    // An operation runs, or its end is not yet handled.
    bool running() const { return bus_.running() != BusOperation::None; }
    // control (item) starts an operation: while one runs it is disabled, unless it is the
    // button that the running operation (of kind stops) listens to for Stop and Skip.
    void startsOperation(QWidget* control, BusOperation stops = BusOperation::None);
    void startsOperation(QAction* item);

    TfrmExtTimeout* frmExtTimeout = nullptr;

    QTabWidget* pgUpgrade = nullptr;

    // Page "System Tools".
    QWidget* tbsPing = nullptr;
    QWidget* pnlPing = nullptr;
    QPushButton* btnPing = nullptr;
    QWidget* pnlCommsTest = nullptr;
    MaskedEdit* edtCLA = nullptr;
    MaskedEdit* edtCycles = nullptr;
    QPushButton* btnCommsTest = nullptr;
    QCheckBox* ckFastPoll = nullptr;
    QLabel* lblCycle = nullptr;
    QLabel* lblCLA = nullptr;
    QLabel* lblProgress = nullptr;
    QPushButton* btnReset = nullptr;
    LogView* mmoReport = nullptr;

    // Page "Misc".
    QWidget* tbsMisc = nullptr;
    QWidget* pnlSetLA = nullptr;
    QRadioButton* rbnContr = nullptr;
    QRadioButton* rbnTerm = nullptr;
    MaskedEdit* edtFA = nullptr;
    MaskedEdit* edtLA = nullptr;
    QPushButton* btnSetLA = nullptr;
    QWidget* pnlSetMess = nullptr;
    MaskedEdit* edtMessLA = nullptr;
    MaskedEdit* medLine1 = nullptr;
    MaskedEdit* medLine2 = nullptr;
    MaskedEdit* medLine3 = nullptr;
    QPushButton* btnSetMess = nullptr;
    QWidget* pnlSetPort = nullptr;
    MaskedEdit* edtPortLA = nullptr;
    QRadioButton* rbRS232 = nullptr;
    QRadioButton* rbRS485 = nullptr;
    QPushButton* btnPort = nullptr;
    QWidget* pnlClearMem = nullptr;
    MaskedEdit* edtClrLA = nullptr;
    QCheckBox* ckbClrAll = nullptr;
    QPushButton* btnClearMem = nullptr;

    // Page "Site".
    QWidget* tbsSite = nullptr;
    QPushButton* btnPlan = nullptr;
    QPushButton* btnSite = nullptr; // "Upgrade &Site", its Stop while a site run runs
    QCheckBox* ckbRemotes = nullptr;
    QComboBox* cbxModel = nullptr;
    QPushButton* btnSaveReport = nullptr;
    SiteTree* tvSite = nullptr;
    QLabel* lblSite = nullptr; // the last site run summed up

    // The status bar, shown while a trusted key is set: signed firmware only.
    QLabel* lblTrustedKey = nullptr;

    // Menus.
    QMenu* pumReport = nullptr;
    QAction* ClearTrustedKey1 = nullptr; // enabled while a trusted key is set
    QActionGroup* portItems = nullptr;
    QActionGroup* baudItems = nullptr;
    QAction* Network1 = nullptr;

public slots:
    void ExtendedTimeouts1Click();
    void mnuVerClick();
    void mmoReportDblClick();
    void Save1Click();
    void Open1Click();
    void Network1Click();

    void btnPingClick();
    void btnCommsTestClick();
    void ckFastPollClick();
    void btnResetClick();
    void rbnContrClick();
    void rbnTermClick();
    void ckbClrAllClick();
    void btnSetLAClick();
    void btnSetMessClick();
    void btnPortClick();
    void btnClearMemClick();
    void btnPlanClick();
    void btnSiteClick();
    void btnSaveReportClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    // "&Upgrade" is the default button: Enter on its page clicks it, unless the control with
    // the focus takes Enter itself.
    void keyPressEvent(QKeyEvent* event) override;

    // Every modal question of the window goes through these, so that they can be answered
    // without a modal window.
    // captions: the buttons that say something else than their standard text.
    virtual QMessageBox::StandardButton
    showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons,
                   const QMap<QMessageBox::StandardButton, QString>& captions = {});
    virtual QString askSaveFileName();     // empty when cancelled
    virtual QString askOpenFileName();     // empty when cancelled
    virtual QString askFirmwareFileName(); // empty when cancelled
    // The address of a network port: the text offered to type on, and the cursor in it (at the
    // end when negative); the text typed and where the cursor stood, empty when cancelled.
    struct TypedLine {
        QString text;
        int cursor = -1;
    };
    virtual TypedLine askNetworkAddress(const TypedLine& offer);
    // The site report's file, suggested is offered; empty when cancelled.
    virtual QString askSiteReportName(const QString& suggested);

private:
    void FormCreate();
    void buildWindow();
    QWidget* buildSystemToolsPage();
    QWidget* buildMiscPage();
    QWidget* buildSetLAPanel();
    QWidget* buildSetMessagePanel();
    QWidget* buildSetPortPanel();
    QWidget* buildClearMemoryPanel();
    QWidget* buildSitePage();
    QWidget* buildSiteBar();
    void buildMenus();
    void buildTrustBar();
    void buildPortMenu(QMenu* config);
    void buildBaudMenu(QMenu* config);
    void attachReportMenu(LogView* log);
    void operationFinished(BusOperation kind, const Outcome& outcome);
    // The bus's lines and questions, to the logs and boxes that show them.
    void connectBus();
    LogView* showingLog() const;
    // Survey and plan the bus (planOnly), or bring every unit that is behind up to date.
    void startSiteRun(bool planOnly);
    void connectSite();
    void siteRunEnded();
    // The site line says the run again where it told a search's LA.
    void endSiteSearchLine();
    void setSiteRunning(bool running);
    // Closing during a run: the operator's choice of how it ends; true when it is to end and
    // the window to close after it.
    bool askStopForClose();
    // What a Stop asked (from the window, at this level) shows on the Site page.
    void showStopAsked(StopLevel level);
    // Runs a handler so that no exception reaches the event loop.
    void guarded(const std::function<void()>& handler);

    BusController bus_;
    RunButtons* runButtons_ = nullptr;
    UpgradePage* upgradePage_ = nullptr;
    bool closePending_ = false;
    bool siteRunning_ = false;
    bool siteSearchShown_ = false; // the site line tells a search's LA, not the run
    // The Port item that holds, to fall back on when a network address is not given; and
    // the last network address, offered again for the rest of the run.
    QAction* chosenPortItem_ = nullptr;
    QString networkAddress_;
};
