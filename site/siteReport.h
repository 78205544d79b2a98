#pragma once
// The site report: one JSON document for every bus of a run, and the plan and result tables
// that the faces print.

#include "site/siteBus.h"

#include <optional>
#include <string>
#include <vector>

std::string siteReportJson(const std::vector<SiteBus>& buses);
// The error text when the file cannot be written, else nothing.
std::optional<std::string> writeSiteReport(const std::string& path,
                                           const std::vector<SiteBus>& buses);

// The plan as a table: a heading, a header line and one line per unit.
std::vector<std::string> sitePlanLines(const SiteBus& bus);
// The outcome as a table: a heading, a header line, one line per unit and a closing verdict.
std::vector<std::string> siteResultLines(const SiteBus& bus);
