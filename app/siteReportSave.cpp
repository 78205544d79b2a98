// "Save &Report..." of the Site page: the last site run's report as JSON or as a printable page,
// in the file the operator chooses; the name offered carries the run's date and port.

#include "sitePage.h"

#include "appVersion.h"
#include "busController.h"
#include "site/siteReport.h"
#include "siteTextReport.h"
#include "siteTree.h"

#include <QFile>
#include <QLabel>
#include <QSaveFile>

namespace {

std::optional<QString> writeTextReport(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(text.toUtf8()) >= 0 &&
        file.commit())
        return std::nullopt;
    return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
}

} // namespace

void SitePage::saveReport() {
    const std::optional<SiteBus>& siteBus = bus_.lastSite();
    const QDateTime runTime = bus_.siteRunTime();
    if (!siteBus) {
        say(QStringLiteral("There is no site report to save: the last site run "
                           "ended before it had surveyed the bus."));
        return;
    }
    const QString base = siteReportBaseName(*siteBus, runTime);
    const QString path = questions_.askSiteReportName(base + QStringLiteral(".json"));
    if (path.isEmpty()) return;
    const bool text = path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    std::optional<QString> error;
    if (text) {
        error = writeTextReport(path, siteTextReport(*siteBus, runTime));
    } else if (const auto failed = writeSiteReport(
                   QFile::encodeName(path).toStdString(),
                   siteReportOf(
                       QStringLiteral("%1 %2")
                           .arg(QLatin1String(kApplicationName), QLatin1String(kApplicationVersion))
                           .toStdString(),
                       {}, runTime.toUTC().toString(Qt::ISODate).toStdString(), {*siteBus}))) {
        error = QString::fromStdString(*failed);
    }
    if (!error) {
        say(QStringLiteral("%1 Report saved to %2.").arg(siteSummary(*siteBus), path));
        return;
    }
    bus_.status(error->toStdString());
    questions_.showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), *error,
                              QMessageBox::Ok);
}
