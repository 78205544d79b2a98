#pragma once
// The site report as a page to print or file with the job: when and on which port the run was
// made, the firmware files it took with their versions, the plan's or the result's table and the
// line that sums the run up.

#include "site/siteBus.h"

#include <QDateTime>
#include <QString>

QString siteTextReport(const SiteBus& bus, const QDateTime& when);

// "site-report-2026-12-08-COM1": the date and the port, made safe for a file name.
QString siteReportBaseName(const SiteBus& bus, const QDateTime& when);
