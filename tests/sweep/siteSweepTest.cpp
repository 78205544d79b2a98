// The whole-site run of a mixed site, struck at a spread of its requests that takes in every
// phase of every step (searches, asked into upgrade mode, erase, pages, reset, confirmation,
// the surveys): the line lost for good, one Stop, two Stops, the unit addressed losing its power
// for a minute, one reply lost. Each run is judged by what the simulated units hold, and a clean
// run after it must bring the site up to date.

#include "siteSweepChecks.h"
#include "siteSweepPhases.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <numeric>
#include <set>
#include <sstream>

using namespace sweep;

namespace {

// Requests struck: every request of the short phases, an even spread over the long ones (the
// remote's blocks and the controllers' search are long and alike). More would cost the test
// command time: every request of the run (738) would take nearly twice as long.
constexpr std::size_t kLeastPoints = 400;
constexpr std::size_t kExamplesShown = 6;

// The events of one test case: each case strikes the same requests with its own events, so that
// the cases can share the cores.
struct EventGroup {
    const char* name; // the test case's
    const char* title;
    std::vector<SiteEvent> events;
};

// Examples alike but for their numbers (a request, an address, t1 or t2) show one fault: one of
// each kind is kept, those of the struck run before those of the run after it.
const std::string kSecondRun = "second run, ";

std::string exampleKind(const std::string& what) {
    std::string kind;
    for (const char c : what.starts_with(kSecondRun) ? what.substr(kSecondRun.size()) : what)
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) kind += c;
    return kind;
}

std::string shortTitle(std::size_t invariant) {
    return std::string(kInvariantTitles[invariant]).substr(0, 3);
}

// The cells that broke each invariant, by event, with an example of each of the first kinds.
struct SiteTally {
    explicit SiteTally(std::vector<SiteEvent> struck)
        : events(std::move(struck)), seconds(events.size()) {
        violating.fill(std::vector<int>(events.size()));
    }

    std::vector<SiteEvent> events;
    int cells = 0, runs = 0, unstruck = 0;
    std::vector<double> seconds;           // spent on each event's cells
    std::vector<std::string> unseenBehind; // where and what, of each run
    std::array<std::vector<int>, InvariantCount> violating;
    // Of the struck runs and of the runs after them.
    std::array<std::vector<std::string>, InvariantCount> examples, laterExamples;
    std::array<std::set<std::string>, InvariantCount> kinds;

    int violations(std::size_t invariant) const {
        return std::accumulate(violating[invariant].begin(), violating[invariant].end(), 0);
    }

    void take(const std::string& where, std::size_t event, const std::vector<Finding>& findings) {
        std::array<bool, InvariantCount> broken{};
        for (const Finding& finding : findings) {
            const std::size_t i = finding.invariant;
            auto& kept = finding.what.starts_with(kSecondRun) ? laterExamples[i] : examples[i];
            // One example a cell: its first finding of a kind not shown yet.
            if (!broken[i] && kept.size() < kExamplesShown &&
                kinds[i].insert(exampleKind(finding.what)).second)
                kept.push_back(where + ": " + finding.what);
            broken[i] = true;
        }
        for (std::size_t i = 0; i < InvariantCount; ++i)
            violating[i][event] += broken[i] ? 1 : 0;
    }

    std::string table(const std::string& heading) const {
        std::ostringstream out;
        out << std::fixed << std::setprecision(1) << heading << "; " << cells << " cells, " << runs
            << " runs";
        if (unstruck > 0)
            out << " (" << unstruck << " power losses at requests that reach no unit left out)";
        out << "\n  cells violating:   all";
        for (const SiteEvent event : events)
            out << std::setw(11) << eventName(event);
        out << "\n";
        for (std::size_t i = 0; i < InvariantCount; ++i) {
            out << "  " << shortTitle(i) << std::setw(18) << violations(i);
            for (const int count : violating[i])
                out << std::setw(11) << count;
            out << "  " << std::string(kInvariantTitles[i]).substr(4) << "\n";
        }
        out << "  seconds:              ";
        for (const double spent : seconds)
            out << std::setw(11) << spent;
        out << "\n";
        for (std::size_t i = 0; i < InvariantCount; ++i) {
            std::vector<std::string> shown = examples[i];
            for (std::size_t k = 0; k < laterExamples[i].size() && shown.size() < kExamplesShown;
                 ++k)
                shown.push_back(laterExamples[i][k]);
            for (const std::string& example : shown)
                out << "  " << shortTitle(i) << " " << example << "\n";
        }
        out << "  not counted: " << unseenBehind.size()
            << " runs claimed success beside a unit they never planned, left behind";
        for (std::size_t k = 0; k < unseenBehind.size() && k < 2; ++k)
            out << "\n    " << unseenBehind[k];
        return out.str() + "\n";
    }
};

class SiteSweep : public ::testing::TestWithParam<EventGroup> {
protected:
    SiteSweep() : images(SiteImages::written()), members(siteMembers(images)) {}

    // The first run struck at request k, then a clean one on the same units: what each broke.
    std::vector<Finding> strikeAndRetry(const Strike& strike, std::vector<std::string>& unseen,
                                        std::size_t& struckAt) {
        SweepSite site(network);
        std::vector<Finding> findings, second;
        const RequestMark beforeFirst = markOf(site.network.network());
        const SiteRunEnd first = runSiteOnce(site, strike);
        struckAt = first.struckAt;
        judgeRun({site, members, first, beforeFirst, strike.event, findings, unseen});
        // The power has long come back when the operator tries again.
        site.clock.sleepMs(kPowerOffMs + 5000);
        const RequestMark beforeSecond = markOf(site.network.network());
        const SiteRunEnd again = runSiteOnce(site);
        judgeRun({site, members, again, beforeSecond, SiteEvent::None, second, unseen});
        for (Finding& finding : second)
            findings.push_back({finding.invariant, kSecondRun + finding.what});
        checkRepaired(site, members, again, findings);
        return findings;
    }

    void runCell(std::size_t eventIndex, std::size_t k, const RequestPlace& place) {
        const SiteEvent event = tally.events[eventIndex];
        if (event == SiteEvent::PowerLoss && !place.target) {
            ++tally.unstruck;
            return;
        }
        const auto started = std::chrono::steady_clock::now();
        std::vector<std::string> unseen;
        std::size_t struckAt = 0;
        const std::vector<Finding> findings =
            strikeAndRetry({event, k, place.target}, unseen, struckAt);
        ++tally.cells;
        tally.runs += 2;
        tally.seconds[eventIndex] +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const std::string where = "k=" + std::to_string(k);
        for (const std::string& what : unseen)
            tally.unseenBehind.push_back(where + " " + eventName(event) + ": " + what);
        const std::string taken =
            struckAt > k ? " (taken at request " + std::to_string(struckAt) + ")" : "";
        tally.take(where + " [" + place.phase + ", " + place.frame + "] " + eventName(event) +
                       taken,
                   eventIndex, findings);
    }

    // Each run forces its history records to disk: a folder in memory, where the system has
    // one, keeps thousands of runs from waiting on the disk.
    WorkingFolder folder{WorkingFolder::Fresh{std::filesystem::is_directory("/dev/shm")
                                                  ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path()}};
    const SiteImages images;
    const std::vector<Member> members;
    const sim::Network network = testkit::networkFrom(kMixedSite);
    SiteTally tally{GetParam().events};
};

TEST_P(SiteSweep, EveryStrikeEndsInTheTruthAndASecondRunBringsTheSiteUpToDate) {
    const auto started = std::chrono::steady_clock::now();
    SweepSite clean(network);
    std::map<std::size_t, std::string> stepStarts;
    const SiteRunEnd cleanEnd = runSiteOnce(clean, {}, [&](const std::string& line) {
        if (const std::optional<std::string> step = stepOfStatus(line))
            stepStarts[clean.network.network().frames.size()] = *step;
    });
    ASSERT_TRUE(cleanEnd.outcome.succeeded()) << cleanEnd.verdict;
    ASSERT_TRUE(cleanEnd.bus.verified);
    for (const Member& member : members)
        ASSERT_EQ(memberProblem(*clean.network.unit(member.name), member), "");

    const std::vector<RequestPlace> places = placesOf(clean.network.network(), stepStarts);
    const std::vector<std::size_t> points = spreadOfAtLeast(places, kLeastPoints);
    ASSERT_GE(points.size(), kLeastPoints);
    std::set<std::string> phases;
    for (const RequestPlace& place : places)
        phases.insert(place.phase);
    // Every step of the site took its unit through each phase, and so is struck in each.
    for (const char* step :
         {"remote, single unit", "terminals, ALL units", "class-0 terminal, single unit",
          "controllers, ALL units", "host, single unit"})
        for (const char* phase : {"asked into upgrade mode", "erase", "pages", "reset"})
            EXPECT_TRUE(phases.contains(std::string(step) + ": " + phase)) << step << ", " << phase;
    EXPECT_TRUE(phases.contains("first survey: survey"));
    EXPECT_TRUE(phases.contains("verifying survey: survey"));
    for (const std::size_t k : points)
        for (std::size_t event = 0; event < tally.events.size(); ++event)
            runCell(event, k, places[k - 1]);

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ostringstream heading;
    heading << std::fixed << std::setprecision(1) << "site sweep, " << GetParam().title << ": "
            << places.size() << " requests in the clean run, " << points.size()
            << " struck, covering its " << phases.size() << " phases, " << seconds << " s";
    const std::string table = tally.table(heading.str());
    std::cout << table;
    for (std::size_t i = 0; i < InvariantCount; ++i)
        EXPECT_EQ(tally.violations(i), 0) << kInvariantTitles[i];
}

void PrintTo(const EventGroup& group, std::ostream* out) {
    *out << group.title;
}

INSTANTIATE_TEST_SUITE_P(
    Strikes, SiteSweep,
    ::testing::Values(EventGroup{"TheLine", "the line", {SiteEvent::LineCut, SiteEvent::ReplyLost}},
                      EventGroup{
                          "TheOperator", "the operator", {SiteEvent::OneStop, SiteEvent::TwoStops}},
                      EventGroup{"TheUnits", "the units", {SiteEvent::PowerLoss}}),
    [](const ::testing::TestParamInfo<EventGroup>& info) { return std::string(info.param.name); });

} // namespace
