#include "site/siteReport.h"

#include "link/catalogue.h"
#include "product/products.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

using nlohmann::ordered_json;

namespace {

constexpr char kPlanHeading[] = "<< Site Plan >>";
constexpr char kPlanHeader[] =
    "Addr  Kind        Fixed Addr  Ver:     File Ver: Action:        File:                      "
    "Product Desc:";
constexpr char kResultHeading[] = "<< Site Report >>";
constexpr char kResultHeader[] =
    "Addr  Kind        Fixed Addr  Before:  After:    Result:              Product Desc:";
constexpr char kNoBuses[] = "No bus was given.";
// The operator stopped the run after its buses had come to their own end (at the question,
// say): nothing says what the units run now.
constexpr char kStoppedRun[] = "Site run stopped.";

ordered_json optionalText(const std::optional<std::string>& text) {
    return text ? ordered_json(*text) : ordered_json();
}

ordered_json unitJson(const SiteUnit& unit) {
    ordered_json j;
    j["address"] = unit.address;
    j["kind"] = siteUnitKindText(unit.kind);
    j["fixedAddress"] = hexText::fixedAddress(unit.fixedAddress);
    j["productId"] = unit.productId;
    j["product"] = unit.product;
    j["file"] = optionalText(unit.file);
    j["fileVersion"] = optionalText(unit.fileVersion);
    j["fileSha256"] = optionalText(unit.fileSha256);
    j["inUpgradeMode"] = unit.inUpgradeMode;
    j["before"] = optionalText(unit.before);
    j["after"] = optionalText(unit.after);
    j["action"] = siteActionText(unit.action);
    j["result"] = siteResultText(unit.result);
    j["reason"] = optionalText(unit.reason);
    return j;
}

std::string orDashes(const std::optional<std::string>& text) {
    return text ? *text : "----";
}

// A unit in its boot loader has no application version to show.
std::string beforeText(const SiteUnit& unit) {
    return unit.inUpgradeMode ? "boot ldr" : orDashes(unit.before);
}

std::string productText(const SiteUnit& unit) {
    return productLabel(unit.productId, unit.product);
}

// What the plan means to do with the unit; a unit whose file was refused says so, with why.
std::string planActionText(const SiteUnit& unit) {
    if (unit.result == SiteResult::Refused) return "refused";
    if (unit.result == SiteResult::LeftInBootLoader) return "boot loader";
    return siteActionText(unit.action);
}

std::string planLine(const SiteUnit& unit) {
    char line[256];
    std::snprintf(line, sizeof line, "%-4s  %-10s  %s    %-8s %-9s %-14s %-26s %s",
                  unit.address.c_str(), siteUnitKindText(unit.kind),
                  hexText::fixedAddress(unit.fixedAddress).c_str(), beforeText(unit).c_str(),
                  orDashes(unit.fileVersion).c_str(), planActionText(unit).c_str(),
                  unit.file ? unit.file->c_str() : "-", productText(unit).c_str());
    const bool why = unit.result == SiteResult::Refused ||
                     unit.result == SiteResult::LeftInBootLoader || unit.sharesAddress;
    if (!why || !unit.reason) return line;
    return std::string(line) + " (" + *unit.reason + ")";
}

std::string resultLine(const SiteUnit& unit) {
    char line[256];
    std::snprintf(line, sizeof line, "%-4s  %-10s  %s    %-8s %-9s %-20s %s", unit.address.c_str(),
                  siteUnitKindText(unit.kind), hexText::fixedAddress(unit.fixedAddress).c_str(),
                  beforeText(unit).c_str(), orDashes(unit.after).c_str(),
                  siteResultText(unit.result), productText(unit).c_str());
    if (!unit.reason || unit.result == SiteResult::Upgraded) return line;
    return std::string(line) + " (" + *unit.reason + ")";
}

std::string joined(const std::vector<std::string>& words, const char* between = ", ") {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

// Planned units that no survey proved at their file's version, each with why (a refused one
// is said apart).
std::vector<std::string> unitsNotProven(const SiteBus& bus) {
    std::vector<std::string> units;
    for (const SiteUnit& unit : bus.units)
        if (unit.action == SiteAction::Upgrade && unit.result != SiteResult::Upgraded &&
            unit.result != SiteResult::Refused)
            units.push_back(addressWithReason(unit));
    return units;
}

// "0102 (restarted into its boot loader)": what the verdict names of each.
std::vector<std::string> bootLoaderUnits(const SiteBus& bus) {
    std::vector<std::string> units;
    for (const SiteUnit& unit : bus.units)
        if (unit.result == SiteResult::LeftInBootLoader) units.push_back(addressWithReason(unit));
    return units;
}

// "would upgrade 2: 0101, 0102; refused 1: 0103 (Terminal-K2.hex does not match SHA256SUMS)"
std::string planVerdict(const SiteBus& bus) {
    std::vector<std::string> upgrade, refused;
    for (const SiteUnit& unit : bus.units) {
        if (unit.result == SiteResult::Refused)
            refused.push_back(addressWithReason(unit));
        else if (unit.action == SiteAction::Upgrade)
            upgrade.push_back(unit.address);
    }
    std::string text;
    if (!upgrade.empty())
        text = "would upgrade " + std::to_string(upgrade.size()) + ": " + joined(upgrade);
    if (!refused.empty())
        text += (text.empty() ? "" : "; ") + std::string("refused ") +
                std::to_string(refused.size()) + ": " + joined(refused);
    for (const std::string& address : sharedAddresses(bus))
        text += (text.empty() ? "" : "; ") + sharedAddressReason(address);
    return "Plan (" + bus.port + "): " + (text.empty() ? "nothing to upgrade" : text) + ".";
}

std::string verdict(const SiteBus& bus) {
    const Outcome outcome = siteOutcome(bus);
    const std::vector<std::string> bootLoader = bootLoaderUnits(bus);
    if (bus.planOnly && !bus.units.empty() && !outcome.cutShort()) return planVerdict(bus);
    if (!bootLoader.empty() && !bus.planOnly && bus.opened)
        return "Site not up to date (" + bus.port +
               "): left in boot loader: " + joined(bootLoader) + ".";
    switch (outcome.kind) {
    case OutcomeKind::Completed:
        if (plannedNothing(bus) && !bus.planOnly) return "Site: nothing to upgrade.";
        return "Site up to date: every planned unit verified.";
    case OutcomeKind::Stopped:
        // No survey proved what the units run now.
        if (std::ranges::none_of(
                bus.units, [](const SiteUnit& unit) { return unit.result == SiteResult::NotDone; }))
            return "Site run stopped (" + bus.port + "): not verified.";
        return "Site run stopped (" + bus.port + "): not verified; units not reached are not done.";
    case OutcomeKind::LineLost:
    case OutcomeKind::Error:
        return "Site not verified (" + bus.port + "): " + outcome.reason + ".";
    case OutcomeKind::Refused:
        return "Site not up to date (" + bus.port + "): " + outcome.reason + ".";
    case OutcomeKind::Failed:
        break;
    }
    if (bus.units.empty()) return outcome.reason;
    std::vector<std::string> parts;
    if (const std::vector<std::string> missing = unitsNotProven(bus); !missing.empty())
        parts.push_back(std::to_string(missing.size()) +
                        " planned unit(s) failed or not verified: " + joined(missing));
    for (const std::string& address : sharedAddresses(bus))
        parts.push_back(sharedAddressReason(address));
    if (const std::vector<std::string> refused = refusedUnits(bus); !refused.empty())
        parts.push_back("refused: " + joined(refused));
    if (parts.empty()) parts.push_back(outcome.reason);
    return "Site not up to date: " + joined(parts, "; ") + ".";
}

ordered_json judgementJson(const SiteJudgement& judgement) {
    ordered_json j;
    j["kind"] = judgement.outcome.name();
    j["reason"] =
        judgement.outcome.succeeded() ? ordered_json() : ordered_json(judgement.outcome.reason);
    j["verdict"] = judgement.verdict;
    return j;
}

ordered_json busJson(const SiteBus& bus) {
    ordered_json b;
    b["port"] = bus.port;
    b["opened"] = bus.opened;
    b["end"] = bus.end.name();
    b["reason"] = bus.end.succeeded() ? ordered_json() : ordered_json(bus.end.reason);
    b["verified"] = bus.verified;
    b["passes"] = bus.passes;
    b["outcome"] = judgementJson(judgeBus(bus));
    b["units"] = ordered_json::array();
    for (const SiteUnit& unit : bus.units)
        b["units"].push_back(unitJson(unit));
    return b;
}

} // namespace

SiteJudgement judgeBus(const SiteBus& bus) {
    return {siteOutcome(bus), verdict(bus)};
}

SiteJudgement judgeRun(const std::vector<SiteBus>& buses, bool stoppedByOperator) {
    if (buses.empty()) return {Outcome::failed(kNoBuses), kNoBuses};
    // Of two buses that end alike, the first one's words stand, as its outcome does.
    SiteJudgement run = judgeBus(buses.front());
    for (std::size_t i = 1; i < buses.size(); ++i) {
        SiteJudgement bus = judgeBus(buses[i]);
        if (&worseOf(run.outcome, bus.outcome) == &bus.outcome) run = std::move(bus);
    }
    if (stoppedByOperator && !run.outcome.cutShort()) run = {Outcome::stopped(), kStoppedRun};
    return run;
}

SiteReport siteReportOf(std::string tool, std::string started, std::string ended,
                        std::vector<SiteBus> buses) {
    const SiteJudgement run = judgeRun(buses, false);
    return {std::move(tool), std::move(started), std::move(ended), run, std::move(buses)};
}

std::string siteReportJson(const SiteReport& report) {
    ordered_json doc;
    doc["tool"] = report.tool;
    doc["started"] = report.started.empty() ? ordered_json() : ordered_json(report.started);
    doc["ended"] = report.ended.empty() ? ordered_json() : ordered_json(report.ended);
    doc["outcome"] = judgementJson(report.outcome);
    doc["buses"] = ordered_json::array();
    for (const SiteBus& bus : report.buses)
        doc["buses"].push_back(busJson(bus));
    return doc.dump(2) + "\n";
}

std::optional<std::string> writeSiteReport(const std::string& path, const SiteReport& report) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out << siteReportJson(report);
    out.close();
    if (out) return std::nullopt;
    return "cannot write " + path + ": " + std::strerror(errno);
}

std::vector<std::string> sitePlanLines(const SiteBus& bus) {
    std::vector<std::string> lines{"", kPlanHeading, kPlanHeader};
    for (const SiteUnit& unit : bus.units) {
        lines.push_back(planLine(unit));
        if (unit.kind == SiteUnitKind::Controller && unit.inUpgradeMode)
            lines.push_back("      " + unit.address.substr(0, 2) +
                            ": its terminals are hidden until it runs");
    }
    if (bus.units.empty()) lines.push_back("No units found!");
    lines.push_back("");
    return lines;
}

std::vector<std::string> siteResultLines(const SiteBus& bus) {
    std::vector<std::string> lines{"", kResultHeading, kResultHeader};
    for (const SiteUnit& unit : bus.units)
        lines.push_back(resultLine(unit));
    // The surveys clear the logs: the passes of a run are told again where they stay.
    if (bus.passes > 1)
        lines.push_back("Planned and upgraded in " + std::to_string(bus.passes) +
                        " passes, each after a survey.");
    lines.push_back(verdict(bus));
    return lines;
}
