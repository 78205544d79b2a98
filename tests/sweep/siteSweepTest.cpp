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

// Of each phase longer than this, this many requests spread over it (the remote's pages and
// the surveys are long and alike); every request of the shorter ones.
constexpr std::size_t kPerPhase = 90;
constexpr std::size_t kExamplesShown = 6;
constexpr std::array kEvents{SiteEvent::LineCut, SiteEvent::OneStop, SiteEvent::TwoStops,
                             SiteEvent::PowerLoss, SiteEvent::ReplyLost};

// Examples alike but for their numbers (a request, an address, t1 or t2) show one fault: one of
// each kind is kept, those of the struck run before those of the run after it.
constexpr char kSecondRun[] = "second run, ";

std::string exampleKind(const std::string& what) {
    std::string kind;
    for (const char c : what.starts_with(kSecondRun) ? what.substr(sizeof kSecondRun - 1) : what)
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) kind += c;
    return kind;
}

// The cells that broke each invariant, by event, with an example of each of the first kinds.
struct SiteTally {
    int cells = 0, runs = 0, unstruck = 0;
    std::vector<std::string> unseenBehind; // where and what, of each run
    std::array<std::array<int, kEvents.size()>, InvariantCount> violating{};
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

    std::string table(std::size_t requests, std::size_t points, std::size_t phases,
                      double seconds) const {
        std::ostringstream out;
        out << "site sweep: " << requests << " requests in the clean run, " << points
            << " struck, covering its " << phases << " phases; " << cells << " cells (" << unstruck
            << " power losses at requests that reach no unit left out), " << runs << " runs, "
            << std::fixed << std::setprecision(1) << seconds << " s\n";
        out << "  cells violating:   all";
        for (const SiteEvent event : kEvents)
            out << std::setw(11) << eventName(event);
        out << "\n";
        for (std::size_t i = 0; i < InvariantCount; ++i) {
            out << "  " << std::string(kInvariantTitles[i]).substr(0, 3) << std::setw(18)
                << violations(i);
            for (const int count : violating[i])
                out << std::setw(11) << count;
            out << "  " << std::string(kInvariantTitles[i]).substr(4) << "\n";
        }
        for (std::size_t i = 0; i < InvariantCount; ++i) {
            std::vector<std::string> shown = examples[i];
            for (std::size_t k = 0; k < laterExamples[i].size() && shown.size() < kExamplesShown;
                 ++k)
                shown.push_back(laterExamples[i][k]);
            for (const std::string& example : shown)
                out << "  " << std::string(kInvariantTitles[i]).substr(0, 3) << " " << example
                    << "\n";
        }
        out << "  not counted: " << unseenBehind.size()
            << " runs claimed success beside a unit they never planned, left behind";
        for (std::size_t k = 0; k < unseenBehind.size() && k < 2; ++k)
            out << "\n    " << unseenBehind[k];
        return out.str() + "\n";
    }
};

class SiteSweep : public ::testing::Test {
protected:
    SiteSweep() : images(SiteImages::written()), members(siteMembers(images)) {}

    // The first run struck at request k, then a clean one on the same units.
    void runCell(std::size_t eventIndex, std::size_t k, const RequestPlace& place) {
        const SiteEvent event = kEvents[eventIndex];
        if (event == SiteEvent::PowerLoss && !place.target) {
            ++tally.unstruck;
            return;
        }
        SweepSite site(network);
        std::vector<Finding> findings;
        std::vector<std::string> unseen;
        const RequestMark beforeFirst = markOf(site.network.network());
        const SiteRunEnd first = runSiteOnce(site, {event, k, place.target});
        judgeRun({site, members, first, beforeFirst, event, findings, unseen});
        // The power has long come back when the operator tries again.
        site.clock.sleepMs(kPowerOffMs + 5000);
        std::vector<Finding> second;
        const RequestMark beforeSecond = markOf(site.network.network());
        const SiteRunEnd again = runSiteOnce(site);
        judgeRun({site, members, again, beforeSecond, SiteEvent::None, second, unseen});
        for (Finding& finding : second)
            findings.push_back({finding.invariant, "second run, " + finding.what});
        checkRepaired(site, members, again, findings);
        ++tally.cells;
        tally.runs += 2;
        for (const std::string& what : unseen)
            tally.unseenBehind.push_back("k=" + std::to_string(k) + " " + eventName(event) + ": " +
                                         what);
        const std::string taken =
            first.struckAt > k ? " (taken at request " + std::to_string(first.struckAt) + ")" : "";
        tally.take("k=" + std::to_string(k) + " [" + place.phase + ", " + place.frame + "] " +
                       eventName(event) + taken,
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
    SiteTally tally;
};

TEST_F(SiteSweep, EveryStrikeEndsInTheTruthAndASecondRunBringsTheSiteUpToDate) {
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
    const std::vector<std::size_t> points = spreadOver(places, kPerPhase);
    ASSERT_GE(points.size(), 400u);
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
        for (std::size_t event = 0; event < kEvents.size(); ++event)
            runCell(event, k, places[k - 1]);

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string table = tally.table(places.size(), points.size(), phases.size(), seconds);
    std::cout << table;
    for (std::size_t i = 0; i < InvariantCount; ++i)
        EXPECT_EQ(tally.violations(i), 0) << kInvariantTitles[i];
}

} // namespace
