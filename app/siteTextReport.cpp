#include "siteTextReport.h"

#include "appVersion.h"
#include "site/siteReport.h"
#include "siteTree.h"

#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace {

QStringList fileLines(const SiteBus& bus) {
    QStringList lines;
    std::set<std::string> listed;
    for (const SiteUnit& unit : bus.units) {
        if (!unit.file || !listed.insert(*unit.file).second) continue;
        // A remote's image carries no version the tool reads.
        const QString version = unit.fileVersion ? QString::fromStdString(*unit.fileVersion)
                                                 : QStringLiteral("(no version)");
        lines
            << QStringLiteral("  %1 %2").arg(QString::fromStdString(*unit.file), -26).arg(version);
    }
    if (lines.isEmpty()) lines << QStringLiteral("  (none)");
    return lines;
}

} // namespace

QString siteTextReport(const SiteBus& bus, const QDateTime& when) {
    QStringList lines;
    lines << QStringLiteral("%1 %2: site report")
                 .arg(QString::fromLatin1(kApplicationName),
                      QString::fromLatin1(kApplicationVersion));
    lines << QStringLiteral("Date: %1").arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    lines << QStringLiteral("Port: %1").arg(QString::fromStdString(bus.port));
    lines << QStringLiteral("Files:");
    lines << fileLines(bus);
    for (const std::string& line : bus.planOnly ? sitePlanLines(bus) : siteResultLines(bus))
        lines << QString::fromStdString(line);
    for (const SiteUnit& unit : bus.units)
        if (unit.reason && !unit.reason->empty())
            lines << QStringLiteral("%1 %2: %3")
                         .arg(QString::fromStdString(unit.address),
                              QString::fromLatin1(siteUnitKindText(unit.kind)),
                              QString::fromStdString(*unit.reason));
    lines << siteSummary(bus);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString siteReportBaseName(const SiteBus& bus, const QDateTime& when) {
    QString port = QString::fromStdString(bus.port);
    port.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    port.remove(QRegularExpression(QStringLiteral("^-+|-+$")));
    return QStringLiteral("site-report-%1-%2")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd")), port);
}
