// The question before a site run: the units it counts by kind, the pages it reads from the
// working folder, and a time that holds against a whole run of the mixed site in virtual time
// (the simulated line paced at its speed).

#include "site/siteEstimate.h"
#include "link/catalogue.h"
#include "site/siteRun.h"
#include "tests/site/siteFixture.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kLineSpeed = 38400;

TEST(SiteEstimate, CountsUnitsByKindAndWritesABroadcastGroupOnce) {
    const PlannedWrite keypad{SiteUnitKind::Terminal, 400, "terminals 01 Terminal-K2.hex"};
    const PlannedWrite host{SiteUnitKind::Host, 400, ""};
    const SiteEstimate one = estimateWrites({keypad}, kLineSpeed);
    const SiteEstimate twoTogether = estimateWrites({keypad, keypad}, kLineSpeed);
    PlannedWrite elsewhere = keypad;
    elsewhere.group = "terminals 02 Terminal-K2.hex";
    const SiteEstimate twoApart = estimateWrites({keypad, elsewhere}, kLineSpeed);
    EXPECT_EQ(twoTogether.units[std::size_t(SiteUnitKind::Terminal)], 2);
    EXPECT_EQ(twoTogether.total(), 2);
    // The second terminal of one broadcast adds its own steps but not its pages again.
    EXPECT_LT(twoTogether.seconds, twoApart.seconds);
    EXPECT_GT(twoTogether.seconds, one.seconds);
    // Alone, a unit's pages each wait for its answer, but none of a broadcast's pauses.
    EXPECT_GT(estimateWrites({host}, kLineSpeed).seconds, 0);
    EXPECT_EQ(one.upToSeconds, one.seconds);

    // A slower line takes longer for the same pages, the pages growing with it.
    EXPECT_GT(estimateWrites({keypad}, 9600).seconds, one.seconds);
    const PlannedWrite longer{SiteUnitKind::Terminal, 800, ""};
    EXPECT_GT(estimateWrites({longer}, kLineSpeed).seconds, one.seconds);
    EXPECT_EQ(estimateWrites({}, kLineSpeed).total(), 0);
    EXPECT_EQ(estimateWrites({}, kLineSpeed).seconds, 0);
}

TEST(SiteEstimate, BusesAtOnceAddTheirUnitsAndTakeTheSlowestTime) {
    const SiteEstimate a =
        estimateWrites({{SiteUnitKind::Controller, 900, "controllers Controller-K2.hex"}}, 9600);
    const SiteEstimate b = estimateWrites(
        {{SiteUnitKind::Terminal, 100, ""}, {SiteUnitKind::Remote, remote::BlockCount + 1, ""}},
        kLineSpeed);
    const SiteEstimate both = combineEstimates({a, b});
    EXPECT_EQ(both.total(), 3);
    EXPECT_EQ(both.units[std::size_t(SiteUnitKind::Controller)], 1);
    EXPECT_EQ(both.units[std::size_t(SiteUnitKind::Remote)], 1);
    EXPECT_EQ(both.seconds, std::max(a.seconds, b.seconds));
}

TEST(SiteEstimate, TheQuestionNamesEachKindAndTheTime) {
    SiteEstimate estimate;
    estimate.units = {1, 0, 2, 0};
    estimate.seconds = 45;
    EXPECT_EQ(siteQuestion(estimate, 38400),
              "Upgrade 3 units: 1 host interface, 2 terminals.\n"
              "Estimated time: under a minute at 38400 baud.\nStart the upgrade?");
    estimate.units = {0, 2, 0, 1};
    estimate.seconds = 61;
    EXPECT_EQ(siteQuestion(estimate, 9600),
              "Upgrade 3 units: 2 controllers, 1 remote.\n"
              "Estimated time: about 2 min at 9600 baud.\nStart the upgrade?");
    estimate.seconds = 2 * 3600 + 5 * 60;
    EXPECT_NE(siteQuestion(estimate, 9600).find("about 2 h 5 min"), std::string::npos);
}

// A broadcast of controllers searches every LA first: with extra attempts the silent ones may be
// asked again in rounds whose number the line decides, so the question gives a range; without,
// the search's length is known.
TEST(SiteEstimate, TheQuestionGivesARangeWhenTheSearchMayTakeLonger) {
    const PlannedWrite controller{SiteUnitKind::Controller, 577, "A/B controllers", 0, 62};
    const SiteEstimate known = estimateWrites({controller}, kLineSpeed, 0);
    const SiteEstimate uncertain = estimateWrites({controller}, kLineSpeed, 3);
    EXPECT_EQ(known.upToSeconds, known.seconds);
    EXPECT_GE(uncertain.seconds, known.seconds);
    // Each silent LA up to three more time-outs.
    EXPECT_NEAR(uncertain.upToSeconds - uncertain.seconds,
                62 * 3 * tr::DiscoveryScanPoll.timeout / 1000.0, 62 * 3 * 0.05);
    const std::string asked = siteQuestion(uncertain, kLineSpeed);
    const std::string range = "about " + std::to_string((uncertain.seconds + 59) / 60) + " to " +
                              std::to_string((uncertain.upToSeconds + 59) / 60) + " min at ";
    EXPECT_NE(asked.find("Estimated time: " + range), std::string::npos) << asked;
    EXPECT_TRUE(asked.starts_with("Upgrade 1 unit: 1 controller.\n")) << asked;
    EXPECT_TRUE(asked.ends_with(" baud.\nStart the upgrade?")) << asked;
    const PlannedWrite terminal{SiteUnitKind::Terminal, 161, "terminals of 01", 0, 0};
    const SiteEstimate noSearch = estimateWrites({terminal}, kLineSpeed, 3);
    EXPECT_EQ(noSearch.upToSeconds, noSearch.seconds);
}

// The mixed site planned and then run whole: the pages come from its sample files, and the
// estimate made from the plan is within a tenth of the time the run then takes.
TEST(SiteEstimate, HoldsAgainstARunOfTheMixedSite) {
    WorkingFolder folder;
    sitetest::copySamples(folder.path());
    RecordingConsole console;
    testkit::VirtualBus bus(console, testkit::networkFrom(sitetest::mixedSite()));
    OperationContext context = bus.context();

    SiteOptions options{false, true, ControllerModel::AB};
    std::optional<SiteEstimate> estimate;
    std::uint64_t plannedAtMs = 0;
    SiteObserver observer;
    observer.planned = [&](const SiteBus& plan) {
        const std::vector<PlannedWrite> writes = plannedWrites(plan, options.model, bus.trust);
        for (std::size_t i = 0, w = 0; i < plan.units.size(); ++i) {
            if (plan.units[i].action != SiteAction::Upgrade) continue;
            const PlannedWrite& write = writes.at(w++);
            EXPECT_EQ(write.kind, plan.units[i].kind);
            if (write.kind == SiteUnitKind::Remote)
                EXPECT_EQ(write.pages, remote::BlockCount + 1);
            else
                EXPECT_GT(write.pages, 0) << plan.units[i].address;
        }
        estimate = estimateWrites(writes, kLineSpeed);
        plannedAtMs = bus.clock.nowMs();
    };
    const SiteBus site = runSite(context, "COM1", options, observer);
    ASSERT_TRUE(siteSucceeded(site));
    ASSERT_TRUE(estimate);
    int upgraded = 0;
    for (const SiteUnit& unit : site.units)
        upgraded += unit.action == SiteAction::Upgrade;
    EXPECT_EQ(estimate->total(), upgraded);
    const double tookSeconds = double(bus.clock.nowMs() - plannedAtMs) / 1000.0;
    EXPECT_NEAR(estimate->seconds, tookSeconds, tookSeconds / 10)
        << "the run took " << tookSeconds << " s";
}

} // namespace
