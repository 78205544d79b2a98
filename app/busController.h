#pragma once
// One bus as the window sees it, without a widget: the session (port, transaction, run control
// and worker), what the bus's runs leave behind for the next one (the units found, the survey
// table, the upgrade's scope, the image, the last site run) and the settings of the line (the
// trusted key, the extra attempts, the minimum reply time-out). Each operation is one call that
// starts it on the worker and returns at once; its end is one signal that carries its Outcome.
//
// As the engine's Console it turns every call of the worker into a signal emitted on the
// controller's own thread, in order. A question becomes a signal whose receiver answers it
// through the pointer it carries while the worker waits; with no receiver (or while the
// controller shuts down) the question keeps its default answer: No, no file.

#include "image/firmwareImage.h"
#include "link/console.h"
#include "link/linkSession.h"
#include "link/operation.h"
#include "site/siteBus.h"
#include "site/siteOptions.h"
#include "tools/lineDiagnostics.h"
#include "tools/maintenance.h"
#include "tools/surveyTable.h"
#include "upgrade/foundUnits.h"
#include "upgrade/settings.h"

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

enum class BusOperation {
    None,
    Upgrade,
    FileVersions,
    Survey,
    CommsTest, // the comms test or the fast-poll display
    SetLogicalAddress,
    DefaultMessage,
    Port2,
    ClearMemory,
    Reset,
    ResponseProbe,
    Site, // a site plan or a site upgrade
    Other,
};
Q_DECLARE_METATYPE(BusOperation)
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(SiteBus)
Q_DECLARE_METATYPE(SiteUnit)

class BusController : public QObject, public Console {
    Q_OBJECT
public:
    using Work = std::function<Outcome(OperationContext&)>;

    // Without a backend the port picks one by the device name at each open.
    explicit BusController(QObject* parent = nullptr, Clock& clock = systemClock(),
                           std::unique_ptr<SerialBackend> backend = {});
    // Stops a running operation at once, answers its questions with their defaults and waits
    // for its end.
    ~BusController() override;
    void shutDown();

    // Console.
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

    // The operations; each false (nothing started) while another one holds the bus.
    bool upgrade(const UpgradeSettings& settings);
    bool reportFileVersions(UpgradeType upgradeType);
    bool survey();
    bool commsTest(const std::string& cla, const std::string& cycles);
    bool fastPoll(const std::string& la);
    bool setLogicalAddress(const SetLaSettings& settings);
    bool setDefaultMessage(const DefaultMessageSettings& settings);
    bool configurePort2(const Port2Settings& settings);
    bool clearMemory(const ClearMemorySettings& settings);
    bool resetNetwork();
    bool probeResponseTime(const std::string& address);
    bool plan(const SiteOptions& options);
    bool upgradeSite(const SiteOptions& options);
    // Any other work on the worker, ended like the operations above.
    bool run(BusOperation kind, Work work, RunLog log = RunLog::Status);

    // The first Stop lets the units being written finish, the next stops at the checkpoint.
    StopLevel stop();
    void stopNow();
    void skip(); // acts only while a search for units runs

    // No operation runs, nor is the end of the last one still being handled.
    bool canStart() const { return running_ == BusOperation::None && !session_.busy(); }
    BusOperation running() const { return running_; }
    RunPhase phase() const { return session_.control().phase(); }

    LinkSession& session() { return session_; }
    TSerialPort& port() { return session_.port(); }
    Transaction& link() { return session_.link(); }
    FirmwareImage& image() { return image_; }
    FoundUnits& foundUnits() { return foundUnits_; }
    SurveyTable& surveyTable() { return survey_; }
    ScopeFlags scope;

    // The settings of the line, changed only between runs.
    std::string trustedKeyFile() const { return session_.trustSettings().trustedKeyFile; }
    void setTrustedKeyFile(const std::string& path) { session_.setTrustSettings({path}); }
    int extraAttempts() const;
    void setExtraAttempts(int attempts);
    void setMinimumTimeout(std::uint16_t ms);
    // COMn, or the device or network address chosen: the port as the site report names it.
    std::string portName() const;

    // The last site run: its bus, none when an error ended it before it had one.
    bool siteRunDone() const { return siteRunDone_; }
    const std::optional<SiteBus>& lastSite() const { return lastSite_; }
    std::optional<SiteBus>& lastSite() { return lastSite_; }
    QDateTime siteRunTime() const { return siteRunTime_; }
    bool siteDeclined() const { return siteDeclined_; }
    // The last upgrade run opened its port.
    bool upgradePortOpened() const { return upgradePortOpened_; }
    // The last probe's label, empty when it measured nothing; whether it opened its port.
    std::string probeLabel() const { return probeLabel_; }
    bool probePortOpened() const { return probePortOpened_; }

signals:
    void statusLine(const QString& line);
    void reportLine(const QString& line);
    void statusCleared();
    void reportCleared();
    void lastReportLineReplaced(const QString& line);
    void reportReplaced(const QStringList& lines);
    void progressed(int position, int min, int max);
    void labelSet(ConsoleLabel label, const QString& text);
    // Questions, answered through the pointer before the receiver returns.
    void messageAsked(MessageKind kind, const QString& text);
    void confirmAsked(const QString& question, bool* yes);
    void firmwareFileAsked(QString* path);
    void siteUpgradeAsked(const QString& question, bool* yes);

    // What may start changed: an operation started or ended, or its phase moved on.
    void phaseChanged();
    void started(BusOperation kind);
    // After every line the operation wrote.
    void finished(BusOperation kind, const Outcome& outcome);
    void operationEnded();

    // A site run as it goes.
    void sitePlanned(const SiteBus& bus);
    void siteUnitChanged(std::size_t unit, const SiteUnit& shown);
    void siteProgress(std::size_t unit, int percent);
    void siteStepStarted();
    void siteScanning(int la, int of);

private:
    // settle runs on the controller's thread at the run's end, before anyone hears of it: it
    // keeps what the run left for the next one.
    bool start(BusOperation kind, Work work, RunLog log, std::function<void()> settle);
    bool runSiteOperation(const SiteOptions& options);
    bool askSiteUpgrade(const SiteBus& plan, const SiteOptions& options,
                        const FirmwareTrust& trust);
    void ended(BusOperation kind, const Outcome& outcome);
    // Carries f out on the controller's thread: at once when called there, else queued in order.
    void onOwnThread(std::function<void()> f);
    // Carries f out on the controller's thread and waits for it.
    void askOnOwnThread(const std::function<void()>& f);

    mutable LinkSession session_; // its accessors are not const; reading them changes nothing
    FirmwareImage image_;
    FoundUnits foundUnits_;
    SurveyTable survey_;
    BusOperation running_ = BusOperation::None;
    bool quiet_ = false; // shutting down: no question is put to the operator
    bool siteRunDone_ = false;
    bool siteDeclined_ = false;
    std::optional<SiteBus> lastSite_;
    QDateTime siteRunTime_;
    bool upgradePortOpened_ = false;
    std::string probeLabel_;
    bool probePortOpened_ = false;
};
