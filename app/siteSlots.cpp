// The Site page's handlers: "&Plan" and "Upgrade &Site" run the whole-site run on the session's
// worker, the tree follows the run through its observer, and "Save &Report..." writes the last
// run's report as JSON or as a printable page. Upgrade Site asks, once its own survey has
// planned and before it changes anything: how many units of each kind, about how long.

#include "fwUpgrade.h"
#include "logView.h"
#include "site/siteReport.h"
#include "siteTextReport.h"
#include "siteTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>

namespace {

const QString kSiteCaption = QStringLiteral("Upgrade &Site");
const QString kSiteName = QStringLiteral("Upgrade site");
const QString kStopCaption = QStringLiteral("&Stop");
const QString kStopName = QStringLiteral("Stop the site run");
const QString kJsonFilter = QStringLiteral("Site report (*.json)");
const QString kTextFilter = QStringLiteral("Printable report (*.txt)");
const QString kPlanning = QStringLiteral("Planning...");
const QString kUpgrading = QStringLiteral("Upgrading the site...");

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
        showStopAsked(bus_.stop());
        return;
    }
    startSiteRun(false);
}

void TForm1::startSiteRun(bool planOnly) {
    SiteOptions options;
    options.remotes = ckbRemotes->isChecked();
    options.model = static_cast<ControllerModel>(cbxModel->currentData().toInt());
    if (!(planOnly ? bus_.plan(options) : bus_.upgradeSite(options))) return;
    siteSearchShown_ = false;
    lblSite->setText(planOnly ? kPlanning : kUpgrading);
    setSiteRunning(true);
}

// The box waits on the window's thread while the run waits for its answer; Enter answers No.
void TForm1::connectSite() {
    BusController* bus = &bus_;
    connect(
        bus, &BusController::siteUpgradeAsked, this, [this](const QString& question, bool* yes) {
            *yes = showMessageBox(QMessageBox::Question, QStringLiteral("Upgrade Site"), question,
                                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        });
    connect(bus, &BusController::sitePlanned, tvSite, &SiteTree::showBus);
    connect(bus, &BusController::siteUnitChanged, tvSite, &SiteTree::showUnit);
    // The search is over once pages go out, or the next step begins.
    connect(bus, &BusController::siteProgress, this, [this](std::size_t unit, int percent) {
        tvSite->showProgress(unit, percent);
        endSiteSearchLine();
    });
    connect(bus, &BusController::siteStepStarted, this, &TForm1::endSiteSearchLine);
    connect(bus, &BusController::siteScanning, this, [this](int la, int of) {
        siteSearchShown_ = true;
        lblSite->setText(QStringLiteral("Searching LA %1 of %2").arg(la).arg(of));
    });
}

void TForm1::endSiteSearchLine() {
    if (!siteSearchShown_) return;
    siteSearchShown_ = false;
    lblSite->setText(kUpgrading);
}

// The rows keep the progress they showed when the run's units are the planned ones.
void TForm1::siteRunEnded() {
    setSiteRunning(false);
    const std::optional<SiteBus>& bus = bus_.lastSite();
    if (!bus) {
        lblSite->setText(QStringLiteral("The site run ended early on an error."));
        return;
    }
    if (tvSite->unitCount() == bus->units.size()) {
        for (std::size_t unit = 0; unit < bus->units.size(); ++unit)
            tvSite->showUnit(unit, bus->units[unit]);
    } else {
        tvSite->showBus(*bus);
    }
    lblSite->setText(siteSummary(*bus));
    if (bus_.siteDeclined())
        lblSite->setText(QStringLiteral("%1 Nothing was upgraded.").arg(siteSummary(*bus)));
}

// The buttons follow the run's phase like every page's; the run's choices and its report wait
// for its end as well. Save Report stays off until a site run has ended.
void TForm1::setSiteRunning(bool running) {
    siteRunning_ = running;
    btnSite->setText(running ? kStopCaption : kSiteCaption);
    btnSite->setAccessibleName(running ? kStopName : kSiteName);
    for (QWidget* input : {static_cast<QWidget*>(ckbRemotes), static_cast<QWidget*>(cbxModel)})
        input->setEnabled(!running);
    btnSaveReport->setEnabled(!running && bus_.siteRunDone());
}

void TForm1::btnSaveReportClick() {
    const std::optional<SiteBus>& siteBus = bus_.lastSite();
    const QDateTime runTime = bus_.siteRunTime();
    if (!siteBus) {
        lblSite->setText(QStringLiteral("There is no site report to save: the last site run "
                                        "ended before it had surveyed the bus."));
        return;
    }
    const QString base = siteReportBaseName(*siteBus, runTime);
    const QString path = askSiteReportName(base + QStringLiteral(".json"));
    if (path.isEmpty()) return;
    const bool text = path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    std::optional<QString> error;
    if (text) {
        error = writeTextReport(path, siteTextReport(*siteBus, runTime));
    } else if (const auto failed = writeSiteReport(
                   QFile::encodeName(path).toStdString(),
                   siteReportOf(QStringLiteral("%1 %2")
                                    .arg(QLatin1String(kApplicationName), QLatin1String(kVersion))
                                    .toStdString(),
                                {}, runTime.toUTC().toString(Qt::ISODate).toStdString(),
                                {*siteBus}))) {
        error = QString::fromStdString(*failed);
    }
    if (!error) {
        lblSite->setText(QStringLiteral("%1 Report saved to %2.").arg(siteSummary(*siteBus), path));
        return;
    }
    bus_.status(error->toStdString());
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
