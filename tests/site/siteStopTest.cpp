// The site run's Stop, in virtual time: a first Stop while units are written lets them finish
// their pages and be confirmed running before the run stops; a second one stops at once and
// leaves them in their boot loader, which no closing broadcast may start.

#include "link/catalogue.h"
#include "site/siteRun.h"
#include "tests/site/siteFixture.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A current controller with two terminals behind it: one "ALL units" step writes both.
constexpr char kTwoTerminalsWritten[] = R"({ "seed": 3, "controllers": [
  { "name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
    "version": "4.20", "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" } ] } ] })";

class SiteStop : public ::testing::Test {
protected:
    SiteStop() : bus(console, testkit::networkFrom(kTwoTerminalsWritten)) {
        sitetest::copySamples(folder.path());
        // The run clears the status log at each step: every line is kept here.
        console.onStatus = [this](const std::string& line) { said.push_back(line); };
    }
    // Stops (once for each count given) when that many pages have been broadcast.
    SiteBus runStoppingAtPages(std::vector<std::size_t> stops) {
        console.onWait = [this, stops] {
            const std::size_t pages = broadcasts(cmd::WritePageCode);
            if (stopsDone < stops.size() && pages >= stops[stopsDone]) {
                ++stopsDone;
                levels.push_back(bus.control.requestStop());
                pagesAtStop.push_back(pages);
            }
        };
        OperationContext context = bus.context();
        return runSite(context, "COM1", {});
    }
    std::size_t broadcasts(const std::string& prefix) const {
        const auto& frames = bus.network.network().frames;
        return static_cast<std::size_t>(
            std::count_if(frames.begin(), frames.end(), [&](const sim::ReceivedFrame& f) {
                return f.address == "01FF" && f.command.starts_with(prefix);
            }));
    }
    bool saidLine(const std::string& line) const {
        return std::ranges::find(said, line) != said.end();
    }
    static const SiteUnit& unitAt(const SiteBus& site, const std::string& address) {
        const auto it = std::ranges::find(site.units, address, &SiteUnit::address);
        if (it == site.units.end()) throw std::runtime_error("no unit " + address);
        return *it;
    }
    const sim::Unit& simUnit(const std::string& name) { return *bus.network.unit(name); }

    WorkingFolder folder;
    RecordingConsole console;
    testkit::VirtualBus bus;
    std::vector<std::string> said;
    std::size_t stopsDone = 0;
    std::vector<StopLevel> levels;
    std::vector<std::size_t> pagesAtStop;
};

TEST_F(SiteStop, AFirstStopDuringThePagesLetsTheUnitsFinishAndStopsTheRunAfterThem) {
    const SiteBus site = runStoppingAtPages({3});
    ASSERT_EQ(levels, std::vector<StopLevel>{StopLevel::AfterUnitsInHand});

    // The log says what the Stop waits for and how to stop at once.
    const auto note = std::ranges::find_if(said, [](const std::string& line) {
        return line.starts_with("Stopping after 0101, 0102 (about ");
    });
    ASSERT_NE(note, said.end());
    EXPECT_TRUE(
        note->ends_with(" s); Stop again to stop at once and leave them in their boot loader"))
        << *note;
    // Every page went, the units were reset and confirmed running.
    EXPECT_GT(broadcasts(cmd::WritePageCode), pagesAtStop.front() + 1);
    for (const char* name : {"t1", "t2"}) {
        EXPECT_FALSE(simUnit(name).upgradeMode) << name;
        EXPECT_TRUE(simUnit(name).applicationIntact) << name;
        EXPECT_NE(simUnit(name).version, 0x0102) << name;
    }
    EXPECT_TRUE(saidLine("Unit 0101 upgrade OK."));
    EXPECT_TRUE(saidLine("Unit 0102 upgrade OK."));
    // Then the run stopped: no verifying survey, the units as their step left them.
    EXPECT_FALSE(saidLine("Site: survey to verify"));
    EXPECT_EQ(site.end.kind, OutcomeKind::Stopped);
    EXPECT_FALSE(siteSucceeded(site));
    EXPECT_EQ(unitAt(site, "0101").result, SiteResult::NotVerified);
    EXPECT_EQ(unitAt(site, "0102").result, SiteResult::NotVerified);
    EXPECT_EQ(bus.control.unitsInHand(), "");
}

TEST_F(SiteStop, ASecondStopLeavesTheUnitsInTheirBootLoaderAndNothingStartsThem) {
    const SiteBus site = runStoppingAtPages({3, 5});
    ASSERT_EQ(levels,
              (std::vector<StopLevel>{StopLevel::AfterUnitsInHand, StopLevel::AtCheckpoint}));

    EXPECT_LE(broadcasts(cmd::WritePageCode), pagesAtStop.back() + 1);
    // Neither the class reset nor the closing one went out; the controller heard the end.
    EXPECT_EQ(broadcasts(cmd::Reset), 0u);
    EXPECT_TRUE(saidLine("Left in boot loader for the next run: 0101 0102"));
    const auto& frames = bus.network.network().frames;
    EXPECT_TRUE(std::ranges::any_of(frames, [](const sim::ReceivedFrame& f) {
        return f.address == "0100" && f.command == cmd::ControllerUpgradeEnd;
    }));
    for (const char* name : {"t1", "t2"})
        EXPECT_TRUE(simUnit(name).upgradeMode) << name;
    EXPECT_EQ(site.end.kind, OutcomeKind::Stopped);
    EXPECT_FALSE(siteSucceeded(site));
    for (const char* address : {"0101", "0102"}) {
        EXPECT_EQ(unitAt(site, address).result, SiteResult::LeftInBootLoader) << address;
        EXPECT_EQ(unitAt(site, address).reason, "stopped during its pages") << address;
    }
}

} // namespace
