// The Site page's handlers: "&Plan" and "Upgrade &Site" run the whole-site run on the session's
// worker, the tree follows the run through its observer, and "Save &Report..." writes the last
// run's report as JSON or as a printable page. Upgrade Site asks, once its own survey has
// planned and before it changes anything: how many units of each kind, about how long.

#include "fwUpgrade.h"
#include "link/serialPort.h"
#include "logView.h"
#include "site/siteEstimate.h"
#include "site/siteReport.h"
#include "siteTextReport.h"
#include "siteTree.h"
#include "trust/folderTrust.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>

#include <memory>

namespace {

const QString kSiteCaption = QStringLiteral("Upgrade &Site");
const QString kSiteName = QStringLiteral("Upgrade site");
const QString kStopCaption = QStringLiteral("&Stop");
const QString kStopName = QStringLiteral("Stop the site run");
const QString kJsonFilter = QStringLiteral("Site report (*.json)");
const QString kTextFilter = QStringLiteral("Printable report (*.txt)");
const QString kPlanning = QStringLiteral("Planning...");
const QString kUpgrading = QStringLiteral("Upgrading the site...");

// What a site run handed back: the last bus it delivered (none when an error ended it before
// it had one), and whether the operator declined the upgrade the plan proposed.
struct SiteRunResult {
    // The folder's trust, read by the run as it starts; its question's estimate reads it too.
    FirmwareTrust trust = FirmwareTrust::unread();
    std::optional<SiteBus> bus;
    bool declined = false;
};

std::optional<QString> writeTextReport(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(text.toUtf8()) >= 0 &&
        file.commit())
        return std::nullopt;
    return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
}

} // namespace

void TForm1::btnPlanClick() {
    startSiteRun(true);
}

// While a site run runs the button is its Stop: the first lets the units being written finish,
// the next (or the first while none is) ends the run at the procedure's checkpoint; either way
// nothing further is started.
void TForm1::btnSiteClick() {
    if (siteRunning_) {
        showStopAsked(session.control().requestStop());
        return;
    }
    startSiteRun(false);
}

std::string TForm1::sitePortName() const {
    if (!portCom.devicePath().empty()) return portCom.devicePath();
    return "COM" + std::to_string(int(portCom.ComPort()) + 1);
}

void TForm1::startSiteRun(bool planOnly) {
    SiteOptions options;
    options.planOnly = planOnly;
    options.remotes = ckbRemotes->isChecked();
    options.model = static_cast<ControllerModel>(cbxModel->currentData().toInt());
    const std::string port = sitePortName();
    const std::uint32_t bitsPerSecond = baudRateBitsPerSecond(portCom.ComPortSpeed());
    auto result = std::make_shared<SiteRunResult>();
    SiteObserver observer = siteObserver();
    if (!planOnly)
        observer.goOn = [this, options, bitsPerSecond, result](const SiteBus& plan) {
            result->declined = !askSiteUpgrade(plan, options.model, bitsPerSecond, result->trust);
            return !result->declined;
        };
    // The observer's calls are queued to the window's thread before the run's end is, so the
    // tree has every change by the time siteRunEnded reads the bus.
    const TrustSettings trust = session.trustSettings();
    const bool started = runOperation(
        [this, options, port, result, observer, trust] {
            result->trust = ReadFirmwareTrust(trust);
            OperationContext run = session.context(result->trust);
            result->bus = runSite(run, port, options, observer);
        },
        RunLog::Status, btnSite,
        [this, result] {
            siteRunDone_ = true;
            siteRunTime_ = QDateTime::currentDateTime();
            siteBus = result->bus;
            if (result->bus) {
                siteRunEnded(*result->bus);
                if (result->declined)
                    lblSite->setText(
                        QStringLiteral("%1 Nothing was upgraded.").arg(siteSummary(*result->bus)));
                return;
            }
            setSiteRunning(false);
            lblSite->setText(QStringLiteral("The site run ended early on an error."));
        });
    if (!started) return;
    siteSearchShown_ = false;
    lblSite->setText(planOnly ? kPlanning : kUpgrading);
    setSiteRunning(true);
}

// Asked on the worker once the plan is known, the files' pages read there too; the box waits on
// the window's thread and Enter answers No. A plan with nothing to upgrade asks nothing.
bool TForm1::askSiteUpgrade(const SiteBus& plan, ControllerModel model, std::uint32_t bitsPerSecond,
                            const FirmwareTrust& trust) {
    const SiteEstimate estimate =
        estimateWrites(plannedWrites(plan, model, trust), bitsPerSecond, link.extraAttempts());
    if (estimate.total() == 0) return true;
    const QString question = QString::fromStdString(siteQuestion(estimate, bitsPerSecond));
    bool yes = false;
    askOnWindowThread([this, &yes, &question] {
        yes = showMessageBox(QMessageBox::Question, QStringLiteral("Upgrade Site"), question,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

SiteObserver TForm1::siteObserver() {
    SiteObserver observer;
    observer.planned = [this](const SiteBus& bus) {
        onWindowThread([this, bus] { tvSite->showBus(bus); });
    };
    observer.unitChanged = [this](std::size_t unit, const SiteUnit& shown) {
        onWindowThread([this, unit, shown] { tvSite->showUnit(unit, shown); });
    };
    // The search is over once pages go out, or the next step begins.
    observer.progress = [this](std::size_t unit, int percent) {
        onWindowThread([this, unit, percent] {
            tvSite->showProgress(unit, percent);
            endSiteSearchLine();
        });
    };
    observer.stepStarted = [this](const std::string&, int, int, const FirmwareImage&) {
        onWindowThread([this] { endSiteSearchLine(); });
    };
    observer.scanning = [this](int la, int of) {
        onWindowThread([this, la, of] {
            siteSearchShown_ = true;
            lblSite->setText(QStringLiteral("Searching LA %1 of %2").arg(la).arg(of));
        });
    };
    return observer;
}

void TForm1::endSiteSearchLine() {
    if (!siteSearchShown_) return;
    siteSearchShown_ = false;
    lblSite->setText(kUpgrading);
}

// The rows keep the progress they showed when the run's units are the planned ones.
void TForm1::siteRunEnded(const SiteBus& bus) {
    setSiteRunning(false);
    if (tvSite->unitCount() == bus.units.size()) {
        for (std::size_t unit = 0; unit < bus.units.size(); ++unit)
            tvSite->showUnit(unit, bus.units[unit]);
    } else {
        tvSite->showBus(bus);
    }
    lblSite->setText(siteSummary(bus));
}

// The buttons follow the run's phase like every page's; the run's choices and its report wait
// for its end as well. Save Report stays off until a site run has ended.
void TForm1::setSiteRunning(bool running) {
    siteRunning_ = running;
    btnSite->setText(running ? kStopCaption : kSiteCaption);
    btnSite->setAccessibleName(running ? kStopName : kSiteName);
    for (QWidget* input : {static_cast<QWidget*>(ckbRemotes), static_cast<QWidget*>(cbxModel)})
        input->setEnabled(!running);
    btnSaveReport->setEnabled(!running && siteRunDone_);
}

void TForm1::btnSaveReportClick() {
    if (!siteBus) {
        lblSite->setText(QStringLiteral("There is no site report to save: the last site run "
                                        "ended before it had surveyed the bus."));
        return;
    }
    const QString base = siteReportBaseName(*siteBus, siteRunTime_);
    const QString path = askSiteReportName(base + QStringLiteral(".json"));
    if (path.isEmpty()) return;
    const bool text = path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    std::optional<QString> error;
    if (text) {
        error = writeTextReport(path, siteTextReport(*siteBus, siteRunTime_));
    } else if (const auto failed = writeSiteReport(
                   QFile::encodeName(path).toStdString(),
                   siteReportOf(QStringLiteral("%1 %2")
                                    .arg(QLatin1String(kApplicationName), QLatin1String(kVersion))
                                    .toStdString(),
                                {}, siteRunTime_.toUTC().toString(Qt::ISODate).toStdString(),
                                {*siteBus}))) {
        error = QString::fromStdString(*failed);
    }
    if (!error) {
        lblSite->setText(QStringLiteral("%1 Report saved to %2.").arg(siteSummary(*siteBus), path));
        return;
    }
    mmoStatus->appendLine(*error);
    showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), *error, QMessageBox::Ok);
}

// The JSON report or the printable page, by the file type chosen; the name offered carries the
// run's date and port, its ending following the type.
QString TForm1::askSiteReportName(const QString& suggested) {
    QFileDialog dialog(this, QStringLiteral("Save Site Report"), QDir::currentPath());
    dialog.setObjectName(QStringLiteral("sdSiteReport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kJsonFilter, kTextFilter, QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.selectFile(suggested);
    const QString base = QFileInfo(suggested).completeBaseName();
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, base](const QString& filter) {
        const QString suffix =
            filter == kTextFilter ? QStringLiteral("txt") : QStringLiteral("json");
        dialog.setDefaultSuffix(suffix);
        dialog.selectFile(base + QLatin1Char('.') + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}
