#pragma once
// The main window: the whole user interface and the owner of the session of its bus (the port,
// the transaction, the run control and the worker thread that runs the operations) and of the
// Extend Timeout dialog.

#include "image/firmwareImage.h"
#include "link/console.h"
#include "link/linkSession.h"
#include "link/operation.h"
#include "site/siteBus.h"
#include "site/siteRun.h"
#include "tools/surveyTable.h"
#include "upgrade/foundUnits.h"
#include "upgrade/settings.h"

#include <QDateTime>
#include <QMainWindow>
#include <QMap>
#include <QMessageBox>

#include <functional>
#include <optional>

class LogView;
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

class TForm1 : public QMainWindow, public Console {
    Q_OBJECT
public:
    static constexpr const char* kApplicationName = "Nexalo Firmware Upgrade";
    static constexpr const char* kVersion = "v6.8j";
    static constexpr const char* kLoggingModeSuffix = " - Logging Mode";

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Console: how the engine reaches the operator. Called from the session's worker, each call
    // is carried out on the window's thread, in order; a question blocks the worker until it is
    // answered.
    void status(std::string_view line) override;
    void report(std::string_view line) override;
    void clearStatus() override;
    void clearReport() override;
    void replaceLastReportLine(std::string_view line) override;
    void progress(int position, int min, int max) override;
    void message(MessageKind kind, std::string_view text) override;
    bool confirm(std::string_view question) override;
    std::optional<std::string> chooseFirmwareFile() override;
    void setLabel(ConsoleLabel label, std::string_view text) override;
    void replaceReport(std::string_view text) override;

    // Starts an operation that talks to the units on the session's worker and returns at once.
    // Refused (false, nothing done) while another one holds the bus. button is the one the
    // running operation listens to for Stop (and Skip): its caption follows the run's phase.
    // ended runs on the window's thread once the operation has ended and every line it wrote is
    // shown; then operationEnded() is emitted, and a close asked meanwhile is carried out. log
    // is where the operation's lines go, and where a failed line is reported.
    bool runOperation(std::function<void()> operation, RunLog log = RunLog::Status,
                      QPushButton* button = nullptr, std::function<void()> ended = {});
    // An operation has been started and its end is not yet handled on the window's thread.
    bool running() const { return running_; }
    // control (item) starts an operation: while one runs it is disabled, unless it is the
    // button that the running operation listens to for Stop and Skip.
    void startsOperation(QWidget* control);
    void startsOperation(QAction* item);

    // The bus: its port, transaction and run control.
    LinkSession session;
    TSerialPort& portCom;
    Transaction& link;
    FirmwareImage image;   // read by the file readers, cut into pages by the upgrades
    FoundUnits foundUnits; // filled by unit discovery, walked by the global upgrades
    ScopeFlags scope;      // set by the unit type and upgrade type choices
    SurveyTable survey;    // filled by "&Ping", read by the comms test
    // What the engine's procedures take.
    OperationContext context() { return session.context(); }
    TfrmExtTimeout* frmExtTimeout = nullptr;

    // Page "Firmware Upgrade".
    QTabWidget* pgUpgrade = nullptr;
    QWidget* tbsUpgrade = nullptr;
    QWidget* pnlUpgrade = nullptr;
    MaskedEdit* edtControllerLA = nullptr;
    MaskedEdit* edtTerminalLA = nullptr;
    RadioGroup* rgUnitType = nullptr;
    RadioGroup* rgUpgradeType = nullptr;
    QCheckBox* ckbForceUpgrade = nullptr;
    QPushButton* btnUpgrade = nullptr;
    LogView* mmoStatus = nullptr;
    QProgressBar* pgrProgress = nullptr;
    QLabel* lblUpgrade = nullptr; // the last run's verdict, from its Outcome

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
    // The last site run's bus, as Save Report writes it: none when an error ended that run
    // before it had one.
    std::optional<SiteBus> siteBus;

    // The status bar, shown while a trusted key is set: signed firmware only.
    QLabel* lblTrustedKey = nullptr;

    // Menus.
    QMenu* pumReport = nullptr;
    QAction* ClearTrustedKey1 = nullptr; // enabled while a trusted key is set
    QActionGroup* portItems = nullptr;
    QActionGroup* baudItems = nullptr;
    QAction* Network1 = nullptr;

signals:
    // The operation started by runOperation has ended and its lines are shown.
    void operationEnded();

public slots:
    void ExtendedTimeouts1Click();
    void mnuVerClick();
    void mmoStatusDblClick();
    void mmoReportDblClick();
    void Save1Click();
    void Open1Click();
    void Network1Click();

    void rgUnitTypeClick();
    void rgUpgradeTypeClick();
    void btnUpgradeClick();
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
    QWidget* buildUpgradePage();
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
    void showStartupNotice();
    // The upgrade page's choices as plain settings for the engine.
    UpgradeSettings upgradeSettings() const;
    // The page is idle again; its verdict line says how the run ended.
    struct UpgradeEnd {
        bool portOpened = false;
        std::optional<Outcome> outcome; // none: an error ended the run early
    };
    void upgradeEnded(const UpgradeEnd& end);
    // The caption of the running operation's button and the enabling of every control that
    // starts an operation or changes the line, read from the run's phase.
    void showRunPhase();
    void operationFinished(const std::function<void()>& ended);
    // Carries f out on the window's thread: at once when called there, else queued in order.
    void onWindowThread(std::function<void()> f);
    // Carries f out on the window's thread and waits for it (a question to the operator).
    void askOnWindowThread(const std::function<void()>& f);
    LogView* showingLog() const;
    // Survey and plan the bus (planOnly), or bring every unit that is behind up to date.
    void startSiteRun(bool planOnly);
    // The observer of a site run: it carries each call over to the window's thread.
    SiteObserver siteObserver();
    void siteRunEnded(const SiteBus& bus);
    // The site line says the run again where it told a search's LA.
    void endSiteSearchLine();
    // The plan's units by kind and the time they would take: true when the operator says Yes.
    bool askSiteUpgrade(const SiteBus& plan, ControllerModel model, std::uint32_t bitsPerSecond,
                        const FirmwareTrust& trust);
    void setSiteRunning(bool running);
    // Closing during a run: the operator's choice of how it ends; true when it is to end and
    // the window to close after it.
    bool askStopForClose();
    // What a Stop asked (from the window, at this level) shows on the Site page.
    void showStopAsked(StopLevel level);
    // The port as the site report names it: COMn, or the device or network address chosen.
    std::string sitePortName() const;
    // Runs a handler so that no exception reaches the event loop.
    void guarded(const std::function<void()>& handler);

    // The button the running operation listens to, and its caption while idle.
    QPushButton* runButton_ = nullptr;
    QString runCaption_;
    QList<QWidget*> startControls_;
    QList<QAction*> startItems_;
    bool running_ = false;
    // How the last operation ended as the session saw it: an error that ended it early, or
    // completed (what it concluded it handed on itself).
    Outcome operationEnd_;
    bool closePending_ = false;
    bool destroying_ = false; // set by the destructor: no question is put to the operator
    bool siteRunning_ = false;
    bool siteRunDone_ = false;     // a site run has ended: Save Report has its report or says none
    bool siteSearchShown_ = false; // the site line tells a search's LA, not the run
    QDateTime siteRunTime_;        // when the last site run ended
    // The Port item that holds, to fall back on when a network address is not given; and
    // the last network address, offered again for the rest of the run.
    QAction* chosenPortItem_ = nullptr;
    QString networkAddress_;
};
