#pragma once
// The site report: one JSON document for every bus of a run, and the plan and result tables
// that the faces print.

#include "site/siteBus.h"

#include <optional>
#include <string>
#include <vector>

// What a bus's run, or a whole run, comes to: the outcome its exit status is made from and the
// verdict line that says it, made together so that they cannot disagree.
struct SiteJudgement {
    Outcome outcome;
    std::string verdict;
};
SiteJudgement judgeBus(const SiteBus& bus);
// The run's: the worst bus's, and stopped when the operator stopped a run whose buses all came
// to their end.
SiteJudgement judgeRun(const std::vector<SiteBus>& buses, bool stoppedByOperator);

// One report for every bus of a run: who wrote it, when the run started and ended (UTC,
// "2026-12-09T10:15:03Z"; empty when not known), the run's judgement and its buses.
struct SiteReport {
    std::string tool; // "nexalo-cli 6.8"
    std::string started, ended;
    SiteJudgement outcome;
    std::vector<SiteBus> buses;
};
// The report of buses that ended on their own (no operator's Stop beyond the buses' own).
SiteReport siteReportOf(std::string tool, std::string started, std::string ended,
                        std::vector<SiteBus> buses);

std::string siteReportJson(const SiteReport& report);
// The error text when the file cannot be written, else nothing.
std::optional<std::string> writeSiteReport(const std::string& path, const SiteReport& report);

// The plan as a table: a heading, a header line and one line per unit.
std::vector<std::string> sitePlanLines(const SiteBus& bus);
// The outcome as a table: a heading, a header line, one line per unit and a closing verdict.
std::vector<std::string> siteResultLines(const SiteBus& bus);
