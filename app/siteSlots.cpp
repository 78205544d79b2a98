// The Site page's handlers: "&Plan" and "Upgrade &Site" run the whole-site run on the session's
// worker, the tree follows the run through its observer, and "Save &Report..." writes the last
// run's report.

#include "fwUpgrade.h"
#include "logView.h"
#include "site/siteReport.h"
#include "siteTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include <memory>

namespace {

const QString kSiteCaption = QStringLiteral("Upgrade &Site");
const QString kSiteName = QStringLiteral("Upgrade site");
const QString kStopCaption = QStringLiteral("&Stop");
const QString kStopName = QStringLiteral("Stop the site run");

} // namespace

void TForm1::btnPlanClick() {
    startSiteRun(true);
}

// While a site run runs the button is its Stop: the run ends at the procedure's checkpoint and
// starts nothing further.
void TForm1::btnSiteClick() {
    if (siteRunning_) {
        session.control().requestStop();
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
    // Empty when an error ended the run early (it has been shown by then).
    auto bus = std::make_shared<std::optional<SiteBus>>();
    // The observer's calls are queued to the window's thread before the run's end is, so the
    // tree has every change by the time siteRunEnded reads the bus.
    const bool started = runOperation(
        [this, options, port, bus, observer = siteObserver()] {
            OperationContext run = context();
            *bus = runSite(run, port, options, observer);
        },
        RunLog::Status, btnSite,
        [this, bus] {
            if (*bus) {
                siteRunEnded(**bus);
                return;
            }
            setSiteRunning(false);
            lblSite->setText(QStringLiteral("The site run ended early on an error."));
        });
    if (!started) return;
    lblSite->setText(planOnly ? QStringLiteral("Planning...")
                              : QStringLiteral("Upgrading the site..."));
    setSiteRunning(true);
}

SiteObserver TForm1::siteObserver() {
    SiteObserver observer;
    observer.planned = [this](const SiteBus& bus) {
        onWindowThread([this, bus] { tvSite->showBus(bus); });
    };
    observer.unitChanged = [this](std::size_t unit, const SiteUnit& shown) {
        onWindowThread([this, unit, shown] { tvSite->showUnit(unit, shown); });
    };
    observer.progress = [this](std::size_t unit, int percent) {
        onWindowThread([this, unit, percent] { tvSite->showProgress(unit, percent); });
    };
    return observer;
}

// The rows keep the progress they showed when the run's units are the planned ones.
void TForm1::siteRunEnded(const SiteBus& bus) {
    setSiteRunning(false);
    siteBus = bus;
    if (tvSite->unitCount() == bus.units.size()) {
        for (std::size_t unit = 0; unit < bus.units.size(); ++unit)
            tvSite->showUnit(unit, bus.units[unit]);
    } else {
        tvSite->showBus(bus);
    }
    lblSite->setText(siteSummary(bus));
    btnSaveReport->setEnabled(true);
}

// The buttons follow the run's phase like every page's; the run's choices and its report wait
// for its end as well.
void TForm1::setSiteRunning(bool running) {
    siteRunning_ = running;
    btnSite->setText(running ? kStopCaption : kSiteCaption);
    btnSite->setAccessibleName(running ? kStopName : kSiteName);
    for (QWidget* input : {static_cast<QWidget*>(ckbRemotes), static_cast<QWidget*>(cbxModel),
                           static_cast<QWidget*>(btnSaveReport)})
        input->setEnabled(!running);
    if (!running && !siteBus) btnSaveReport->setEnabled(false);
}

void TForm1::btnSaveReportClick() {
    if (!siteBus) return;
    const QString path = askSiteReportName();
    if (path.isEmpty()) return;
    const auto error = writeSiteReport(QFile::encodeName(path).toStdString(), {*siteBus});
    if (!error) {
        lblSite->setText(QStringLiteral("%1 Report saved to %2.").arg(siteSummary(*siteBus), path));
        return;
    }
    const QString text = QString::fromStdString(*error);
    mmoStatus->appendLine(text);
    showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
}

QString TForm1::askSiteReportName() {
    QFileDialog dialog(this, QStringLiteral("Save Site Report"), QDir::currentPath());
    dialog.setObjectName(QStringLiteral("sdSiteReport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("Site report (*.json)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.selectFile(QStringLiteral("site-report.json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}
