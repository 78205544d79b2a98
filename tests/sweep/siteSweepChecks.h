#pragma once
// What a site run must hold, judged by the simulated units' own state (flash, mode, version,
// whether they were asked into upgrade mode) against what the tool said: its exit status, the
// bus's units, the verdict line, the JSON report and the history.

#include "sim/imageStart.h"
#include "siteSweepRun.h"
#include "siteSweepSite.h"

#include <array>
#include <string>
#include <vector>

namespace sweep {

enum Invariant : std::size_t {
    TrueSuccess,        // (a)
    BootLoaderReported, // (b)
    FirstStopFinishes,  // (c)
    OneVerdict,         // (d)
    HistoryComplete,    // (e)
    SecondRunRepairs,   // (f)
    Unended,            // a run that would not end by itself
    FaultNamed,         // a unit off its file is named with its own reason
    InvariantCount
};

inline const std::array<const char*, InvariantCount> kInvariantTitles{
    "(a) exit 0, \"verified\" or \"upgraded\" only for units that run their file",
    "(b) a unit in its boot loader is reported \"left in boot loader\"",
    "(c) one Stop leaves no unit in its boot loader",
    "(d) verdict line, JSON outcome and exit status agree",
    "(e) history: \"started\" and an end record, with the fixed address",
    "(f) a clean run afterwards brings the site up to date, verified",
    "(g) every run ends by itself",
    "(h) a unit off its file is named with its own reason"};

struct Finding {
    Invariant invariant;
    std::string what;
};

// The simulated site after one run, and what the run was struck with.
struct Judged {
    SweepSite& site;
    const std::vector<Member>& members;
    const SiteRunEnd& end;
    const RequestMark& before; // the units' requests before the run
    SiteEvent event;
    std::vector<Finding>& findings;
    // Units the run never planned, behind while it claimed success: what of each.
    std::vector<std::string>& unseenBehind;

    const sim::Unit& unit(const Member& member) const { return *site.network.unit(member.name); }
    void add(Invariant invariant, const Member& member, const std::string& what) const {
        findings.push_back({invariant, member.label() + ": " + what});
    }
};

// The bus's entry for the member: found by its fixed address, a remote as a remote.
inline const SiteUnit* siteUnitOf(const SiteBus& bus, const sim::Unit& unit, const Member& member) {
    for (const SiteUnit& entry : bus.units)
        if (entry.fixedAddress == unit.fixedAddress &&
            (entry.kind == SiteUnitKind::Remote) == member.remote)
            return &entry;
    return nullptr;
}

inline const nlohmann::json* jsonUnitOf(const nlohmann::json& bus, const sim::Unit& unit,
                                        const Member& member) {
    for (const nlohmann::json& entry : bus["units"])
        if (entry["fixedAddress"] == hexText::fixedAddress(unit.fixedAddress) &&
            (entry["kind"] == "remote") == member.remote)
            return &entry;
    return nullptr;
}

inline std::string resultText(const SiteUnit* entry) {
    if (entry == nullptr) return "not in the bus's units";
    std::string text = std::string("\"") + siteResultText(entry->result) + "\"";
    return entry->reason ? text + " (" + *entry->reason + ")" : text;
}

// (a): the run's success, "verified" and each "upgraded" against what the units run. A unit
// the run never planned (no survey of it found it answering) is no part of its claim; claimed
// success beside such a unit left behind is counted apart, as unseen.
inline void checkTrueSuccess(const Judged& j) {
    const bool claimed = j.end.outcome.succeeded() || j.end.bus.verified;
    for (const Member& member : j.members) {
        const std::string problem = memberProblem(j.unit(member), member);
        if (problem.empty()) continue;
        const SiteUnit* entry = siteUnitOf(j.end.bus, j.unit(member), member);
        const bool planned = entry != nullptr && entry->action == SiteAction::Upgrade;
        if (claimed && planned)
            j.add(TrueSuccess, member,
                  std::string(j.end.outcome.succeeded() ? "exit 0" : "verified") + " (\"" +
                      j.end.verdict + "\") while " + problem);
        if (claimed && !planned)
            j.unseenBehind.push_back(member.label() + ": " + resultText(entry) + ", \"" +
                                     j.end.verdict + "\" while " + problem);
        if (entry != nullptr && entry->result == SiteResult::Upgraded)
            j.add(TrueSuccess, member, "reported \"upgraded\" while " + problem);
    }
}

// (b): every unit in its boot loader is said to be so in the bus, the verdict and the JSON.
inline void checkBootLoaderReported(const Judged& j) {
    for (const Member& member : j.members) {
        const sim::Unit& unit = j.unit(member);
        if (!inBootLoader(unit, member)) continue;
        const SiteUnit* entry = siteUnitOf(j.end.bus, unit, member);
        // Stuck there before a run that ended before its survey did: the run knows nothing of it.
        if (entry == nullptr && stuckBeforeTheRun(unit, member, j.before)) continue;
        // An image that gave up after the run last heard its unit: "not verified" claims nothing.
        if (unit.imageRejected && entry != nullptr && entry->result == SiteResult::NotVerified)
            continue;
        if (entry == nullptr || entry->result != SiteResult::LeftInBootLoader)
            j.add(BootLoaderReported, member,
                  "in its boot loader, the bus says " + resultText(entry));
        const std::string address = sim::unitAddress(j.site.network.network(), unit);
        if (j.end.verdict.find("left in boot loader") == std::string::npos ||
            j.end.verdict.find(address) == std::string::npos)
            j.add(BootLoaderReported, member,
                  "in its boot loader, the verdict says \"" + j.end.verdict + "\"");
        const nlohmann::json* json = jsonUnitOf(j.end.json, unit, member);
        if (json == nullptr || (*json)["result"] != "left in boot loader")
            j.add(BootLoaderReported, member,
                  "in its boot loader, the JSON says " +
                      (json == nullptr ? std::string("nothing") : (*json)["result"].dump()));
    }
}

// (c): the first Stop lets every unit in hand finish.
inline void checkFirstStopFinishes(const Judged& j) {
    if (j.event != SiteEvent::OneStop) return;
    // An image that gave up by itself left its unit there, not the Stop.
    for (const Member& member : j.members)
        if (inBootLoader(j.unit(member), member) && !j.unit(member).imageRejected &&
            !stuckBeforeTheRun(j.unit(member), member, j.before))
            j.add(FirstStopFinishes, member,
                  "left in its boot loader by one Stop; the bus says " +
                      resultText(siteUnitOf(j.end.bus, j.unit(member), member)));
}

inline bool verdictSaysSuccess(const std::string& verdict) {
    return verdict.starts_with("Site up to date") || verdict == "Site: nothing to upgrade.";
}

// (d): one outcome behind the exit status, the verdict line and the JSON report.
inline void checkOneVerdict(const Judged& j) {
    std::vector<Finding>& findings = j.findings;
    const Outcome& outcome = j.end.outcome;
    const std::string exit =
        "exit " + std::to_string(outcome.succeeded() ? 0 : 1) + " (" + outcome.describe() + ")";
    if (verdictSaysSuccess(j.end.verdict) != outcome.succeeded())
        findings.push_back({OneVerdict, "verdict \"" + j.end.verdict + "\" but " + exit});
    const nlohmann::json& json = j.end.json;
    if (!json.contains("outcome")) {
        // A report without the bus's outcome has only how the run ended to go by.
        if (json["end"] != outcome.name())
            findings.push_back({OneVerdict, "the JSON has no outcome and its end is " +
                                                json["end"].dump() + " but " + exit});
        return;
    }
    // The bus's outcome, and the run's at the top of the report (one bus: the same).
    std::vector<const nlohmann::json*> outcomes{&json["outcome"]};
    if (j.end.report.contains("outcome"))
        outcomes.push_back(&j.end.report["outcome"]);
    else
        findings.push_back({OneVerdict, "the bus's JSON has an outcome, the report none"});
    for (const nlohmann::json* said : outcomes) {
        if (said->value("kind", "") != outcome.name())
            findings.push_back(
                {OneVerdict, "the JSON's outcome is " + said->dump() + " but " + exit});
        if (said->value("verdict", "") != j.end.verdict)
            findings.push_back({OneVerdict, "the JSON's verdict is " + said->dump() +
                                                " but the verdict line \"" + j.end.verdict + "\""});
    }
}

// (e): a unit asked into upgrade mode has its "started" record and then an end record, each
// found by its fixed address.
inline void checkHistory(const Judged& j) {
    for (const std::string& note : j.end.historyNotes)
        j.findings.push_back({HistoryComplete, "a line of the history does not read: " + note});
    for (const Member& member : j.members) {
        const sim::Unit& unit = j.unit(member);
        if (!askedIntoUpgradeMode(unit, member, j.before)) continue;
        const std::string fixed = hexText::fixedAddress(unit.fixedAddress);
        const std::vector<HistoryRecord> records = RecordsOfUnit(j.end.history, fixed);
        int started = 0;
        bool open = false;
        for (const HistoryRecord& record : records) {
            const bool isStart = record.outcome == kHistoryStarted;
            if (isStart && open) break; // a second start before the first one's end
            started += isStart ? 1 : 0;
            open = isStart;
        }
        const std::string address = sim::unitAddress(j.site.network.network(), unit);
        int atAddress = 0;
        for (const HistoryRecord& record : j.end.history)
            atAddress += record.address == address && record.fixedAddress.empty() ? 1 : 0;
        const std::string unnamed = atAddress == 0
                                        ? ""
                                        : " (" + std::to_string(atAddress) + " record(s) at " +
                                              address + " carry no fixed address)";
        if (started == 0)
            j.add(HistoryComplete, member,
                  "asked into upgrade mode, no \"started\" record for " + fixed + unnamed);
        else if (open)
            j.add(HistoryComplete, member, "a \"started\" record for " + fixed + " with no end");
    }
}

// (a) to (e) on one run, which must have ended by itself.
inline void judgeRun(const Judged& j) {
    // An image that has given up by now has left its unit in the boot loader, heard or not.
    for (sim::Unit& unit : j.site.network.network().units)
        sim::fallWhenDue(unit, j.site.clock.nowMs());
    if (j.end.overran)
        j.findings.push_back(
            {Unended, "still running after " + std::to_string(kRunLimitMs / 60000) + " minutes"});
    checkTrueSuccess(j);
    checkBootLoaderReported(j);
    checkFirstStopFinishes(j);
    checkOneVerdict(j);
    checkHistory(j);
}

// (f): after the clean run that follows, every unit runs its file and the run proved it (or,
// the site up to date already, had nothing to prove).
inline void checkRepaired(SweepSite& site, const std::vector<Member>& members,
                          const SiteRunEnd& end, std::vector<Finding>& findings) {
    for (const Member& member : members)
        if (const std::string problem = memberProblem(*site.network.unit(member.name), member);
            !problem.empty())
            findings.push_back({SecondRunRepairs, member.label() + ": after the second run " +
                                                      problem + "(\"" + end.verdict + "\")"});
    if (!end.outcome.succeeded() || (!end.bus.verified && !plannedNothing(end.bus)))
        findings.push_back({SecondRunRepairs, "the second run ended " + end.outcome.describe() +
                                                  ": \"" + end.verdict + "\""});
}

} // namespace sweep
