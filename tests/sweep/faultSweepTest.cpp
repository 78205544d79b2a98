// The mixed site with one unit that lies as units in the field do: a write that verifies and
// does not take, an image that reports another version than its file's, an image that gives up
// after its unit confirmed, a unit slow to start again, two units at one address. Each run is
// struck at a spread of its requests (the line lost, one Stop, the unit addressed losing its
// power) and judged as the whole-site sweep judges it; and every run that nothing struck must
// name the unit with its own reason and, unless the fault can be mended by writing again, the
// second run must bring the site up to date.

#include "siteSweepChecks.h"
#include "siteSweepPhases.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <sstream>

using namespace sweep;
using nlohmann::json;

namespace {

// Points struck per fault and event: enough to cross every step's phases once or twice, few
// enough that the five faults stay within seconds.
constexpr std::size_t kFaultPoints = 30;
const std::vector<SiteEvent> kFaultEvents{SiteEvent::LineCut, SiteEvent::OneStop,
                                          SiteEvent::PowerLoss};

struct FieldFault {
    const char* name;
    const char* unit;                  // the member that lies (a shared address: the first)
    std::function<void(json&)> put;    // onto the site's network file
    const char* reason;                // what an unstruck run must say of it
    bool mendedByWriting;              // a second run brings it up to date
    const char* sharer = nullptr;      // the second unit at the same address
    const char* missingFile = nullptr; // taken out of the working folder
};

json& unitNamed(json& site, const std::string& name) {
    if (site["host"]["name"] == name) return site["host"];
    for (json& controller : site["controllers"]) {
        if (controller["name"] == name) return controller;
        for (json& terminal : controller["terminals"])
            if (terminal["name"] == name) return terminal;
    }
    throw std::runtime_error("no unit " + name);
}

std::function<void(json&)> faultOn(const std::string& name, json faults) {
    return [name, faults](json& site) { unitNamed(site, name)["faults"] = faults; };
}

const std::vector<FieldFault> kFaults{
    {"KeepsOldFirmware", "t2", faultOn("t2", {{"keepsOldFirmware", true}}),
     "runs 1.02 after its upgrade", false},
    {"VersionAfter", "c1", faultOn("c1", {{"versionAfter", "4.19"}}), "runs 4.19 after its upgrade",
     false},
    {"BootsIntoBootLoader", "k0", faultOn("k0", {{"bootsIntoBootLoader", true}}),
     "restarted into its boot loader", true},
    {"SlowBoot", "host", faultOn("host", {{"slowBootMs", 15000}}),
     "confirmed running, then not found by the survey", true},
    {"SharedAddress", "t2",
     [](json& site) {
         site["collisions"] = "garbled";
         site["controllers"][0]["terminals"].push_back({{"name", "t2b"},
                                                        {"la", "02"},
                                                        {"fixedAddress", "20000106"},
                                                        {"productId", 3},
                                                        {"version", "1.02"}});
     },
     "two units answer at 0102", false, "t2b"},
    // Not a lie but the plainest unit the run cannot mend: found in its boot loader, and its
    // file is not in the folder.
    {"InBootLoaderWithoutFile", "k0",
     [](json& site) { unitNamed(site, "k0")["upgradeMode"] = true; }, "no file", false, nullptr,
     "Terminal-K1.hex"},
};

sim::Network networkWith(const FieldFault& fault) {
    json site = json::parse(kMixedSite);
    fault.put(site);
    return testkit::networkFrom(site.dump());
}

std::vector<Member> membersWith(const SiteImages& images, const FieldFault& fault) {
    std::vector<Member> members = siteMembers(images);
    if (fault.sharer != nullptr) members.push_back({fault.sharer, false, &images.terminal});
    return members;
}

class FaultSweep : public ::testing::TestWithParam<FieldFault> {
protected:
    FaultSweep()
        : images(SiteImages::written()), fault(GetParam()), members(membersWith(images, fault)),
          network(networkWith(fault)) {
        if (fault.missingFile != nullptr) std::filesystem::remove(fault.missingFile);
    }

    std::vector<const Member*> liars() const {
        std::vector<const Member*> found;
        for (const Member& member : members)
            if (member.name == fault.unit || (fault.sharer && member.name == fault.sharer))
                found.push_back(&member);
        return found;
    }

    // A run nothing struck: its outcome is no success while a lying unit is off its file, and it
    // names each lying unit with the fault's own reason.
    void checkNamed(SweepSite& site, const SiteRunEnd& end, const std::string& run,
                    std::vector<Finding>& findings) const {
        for (const Member* member : liars()) {
            const sim::Unit& unit = *site.network.unit(member->name);
            const std::string problem = memberProblem(unit, *member);
            const bool claimed = end.outcome.succeeded() || end.bus.verified;
            if (!problem.empty() && claimed)
                findings.push_back(
                    {TrueSuccess, run + member->label() + ": \"" + end.verdict + "\" (verified: " +
                                      std::to_string(end.bus.verified) + ") while " + problem});
            const SiteUnit* entry = siteUnitOf(end.bus, unit, *member);
            const bool named = entry != nullptr && entry->reason &&
                               entry->reason->find(fault.reason) != std::string::npos;
            if (!problem.empty() && !named)
                findings.push_back({FaultNamed, run + member->label() + ": " + resultText(entry) +
                                                    " while " + problem + " (\"" + end.verdict +
                                                    "\")"});
        }
    }

    // The liars as they stand before a run: how often each restarted, and whether an image of
    // theirs has given up yet.
    struct LiarMark {
        std::vector<int> resets;
        std::vector<bool> gaveUp;
    };

    LiarMark liarMark(SweepSite& site) const {
        LiarMark mark;
        for (const Member* member : liars()) {
            const sim::Unit& unit = *site.network.unit(member->name);
            mark.resets.push_back(unit.resets);
            mark.gaveUp.push_back(unit.faults.bootsIntoBootLoader &&
                                  unit.faults.bootsIntoBootLoader->fired);
        }
        return mark;
    }

    // The run met the fault: it restarted a liar into a new image, one that had not given up
    // before when the fault gives up once.
    bool metFault(SweepSite& site, const LiarMark& before) const {
        const std::vector<const Member*> lying = liars();
        for (std::size_t i = 0; i < lying.size(); ++i) {
            const sim::Unit& unit = *site.network.unit(lying[i]->name);
            if (unit.resets != before.resets[i] && !before.gaveUp[i]) return true;
        }
        return false;
    }

    // What the second run must come to: the site up to date; or, where writing again cannot
    // mend the fault or the second run was the one that met it, the lying unit named and every
    // other unit up to date.
    void checkSecondRun(SweepSite& site, const SiteRunEnd& end, const LiarMark& before,
                        std::vector<Finding>& findings) const {
        if (fault.mendedByWriting && !metFault(site, before)) {
            checkRepaired(site, members, end, findings);
            return;
        }
        checkNamed(site, end, "second run, ", findings);
        for (const Member& member : members) {
            const std::vector<const Member*> lying = liars();
            if (std::find(lying.begin(), lying.end(), &member) != lying.end()) continue;
            if (const std::string problem = memberProblem(*site.network.unit(member.name), member);
                !problem.empty())
                findings.push_back({SecondRunRepairs, member.label() + ": after the second run " +
                                                          problem + "(\"" + end.verdict + "\")"});
        }
    }

    std::vector<Finding> strikeAndRetry(const Strike& strike) {
        SweepSite site(network);
        std::vector<Finding> findings, second;
        std::vector<std::string> unseen;
        const RequestMark beforeFirst = markOf(site.network.network());
        const SiteRunEnd first = runSiteOnce(site, strike);
        judgeRun({site, members, first, beforeFirst, strike.event, findings, unseen});
        if (strike.event == SiteEvent::None) checkNamed(site, first, "", findings);
        site.clock.sleepMs(kPowerOffMs + 5000);
        const RequestMark beforeSecond = markOf(site.network.network());
        const LiarMark liarsBefore = liarMark(site);
        const SiteRunEnd again = runSiteOnce(site);
        judgeRun({site, members, again, beforeSecond, SiteEvent::None, second, unseen});
        for (Finding& finding : second)
            findings.push_back({finding.invariant, "second run, " + finding.what});
        checkSecondRun(site, again, liarsBefore, findings);
        return findings;
    }

    WorkingFolder folder{WorkingFolder::Fresh{std::filesystem::is_directory("/dev/shm")
                                                  ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path()}};
    const SiteImages images;
    const FieldFault& fault;
    const std::vector<Member> members;
    const sim::Network network;
};

TEST_P(FaultSweep, NoRunClaimsTheLyingUnitAndEachNamesItWithItsReason) {
    // The run that nothing strikes, whose requests the strikes are placed by.
    SweepSite clean(network);
    std::map<std::size_t, std::string> stepStarts;
    const SiteRunEnd cleanEnd = runSiteOnce(clean, {}, [&](const std::string& line) {
        if (const std::optional<std::string> step = stepOfStatus(line))
            stepStarts[clean.network.network().frames.size()] = *step;
    });
    std::cout << fault.name << ", the run that nothing struck: " << cleanEnd.verdict << "\n";
    EXPECT_FALSE(cleanEnd.outcome.succeeded()) << cleanEnd.verdict;
    std::array<int, InvariantCount> violations{};
    std::vector<std::string> examples;
    auto count = [&](const std::string& where, const std::vector<Finding>& findings) {
        for (const Finding& finding : findings) {
            // The first two of each invariant.
            if (violations[finding.invariant]++ < 2)
                examples.push_back(where + " " + kInvariantTitles[finding.invariant] + ": " +
                                   finding.what);
        }
    };
    count("unstruck", strikeAndRetry({}));

    const std::vector<RequestPlace> places = placesOf(clean.network.network(), stepStarts);
    int cells = 1;
    for (const std::size_t k : spreadOfAtLeast(places, kFaultPoints))
        for (const SiteEvent event : kFaultEvents) {
            const std::optional<PowerTarget>& target = places[k - 1].target;
            if (event == SiteEvent::PowerLoss && !target) continue;
            ++cells;
            count("k=" + std::to_string(k) + " " + eventName(event),
                  strikeAndRetry({event, k, target}));
        }
    std::ostringstream table;
    table << "fault sweep, " << fault.name << " on " << fault.unit << ": " << cells << " cells, "
          << 2 * cells << " runs; violations:";
    for (std::size_t i = 0; i < InvariantCount; ++i)
        table << " " << std::string(kInvariantTitles[i]).substr(0, 3) << " " << violations[i];
    std::cout << table.str() << "\n";
    for (const std::string& example : examples)
        std::cout << "  " << example << "\n";
    for (std::size_t i = 0; i < InvariantCount; ++i)
        EXPECT_EQ(violations[i], 0) << kInvariantTitles[i];
}

void PrintTo(const FieldFault& fault, std::ostream* out) {
    *out << fault.name;
}

INSTANTIATE_TEST_SUITE_P(Lies, FaultSweep, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FieldFault>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
