// The whole-site run where the first survey does not see the whole site or cannot tell the whole
// truth: a controller in its boot loader hiding its terminals, units in their boot loader with no
// file, a verifying survey that comes too soon after a failure.

#include "site/siteReport.h"
#include "site/siteRun.h"
#include "tests/site/siteFixture.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const SiteUnit* unitAt(const SiteBus& bus, const std::string& address) {
    for (const SiteUnit& unit : bus.units)
        if (unit.address == address) return &unit;
    return nullptr;
}

bool anyLineHas(const std::vector<std::string>& lines, const std::string& words) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(words) != std::string::npos;
    });
}

constexpr char kHiddenTerminals[] = R"({"seed": 3, "controllers": [
  {"name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
   "version": "2.01", "upgradeMode": true, "terminals": [
    {"name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02"},
    {"name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02"},
    {"name": "t3", "la": "03", "fixedAddress": "20000103", "productId": 6, "version": "2.21"}]}]})";

class SiteConverge : public ::testing::Test {
protected:
    SiteBus run(testkit::VirtualBus& bus, const SiteOptions& options = {}) {
        OperationContext context = bus.context();
        return runSite(context, "COM1", options);
    }
    WorkingFolder folder;
    RecordingConsole console;
};

TEST_F(SiteConverge, AControllerInItsBootLoaderIsRepairedAndItsTerminalsUpgradedInOneRun) {
    sitetest::copySamples(folder.path());
    testkit::VirtualBus bus(console, testkit::networkFrom(kHiddenTerminals));
    const SiteBus site = run(bus);

    ASSERT_TRUE(siteSucceeded(site)) << siteOutcome(site);
    EXPECT_TRUE(site.verified);
    EXPECT_EQ(site.passes, 2);
    const SiteUnit* controller = unitAt(site, "0100");
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(controller->inUpgradeMode);
    EXPECT_EQ(controller->result, SiteResult::Upgraded);
    for (const char* address : {"0101", "0102"}) {
        const SiteUnit* terminal = unitAt(site, address);
        ASSERT_NE(terminal, nullptr) << address;
        EXPECT_EQ(terminal->result, SiteResult::Upgraded) << address;
        EXPECT_EQ(terminal->after, terminal->fileVersion) << address;
    }
    ASSERT_NE(unitAt(site, "0103"), nullptr);
    EXPECT_EQ(unitAt(site, "0103")->result, SiteResult::UpToDate);
    EXPECT_EQ(bus.network.unit("t1")->version, bus.network.unit("t2")->version);
    EXPECT_NE(bus.network.unit("t1")->version, 0x0102);
    EXPECT_TRUE(anyLineHas(siteResultLines(site), "Planned and upgraded in 2 passes"));
}

TEST_F(SiteConverge, ThePlanSaysAControllerInItsBootLoaderHidesItsTerminals) {
    sitetest::copySamples(folder.path());
    testkit::VirtualBus bus(console, testkit::networkFrom(kHiddenTerminals));
    const SiteBus site = run(bus, {true, false, ControllerModel::AB});
    const std::vector<std::string> lines = sitePlanLines(site);
    EXPECT_TRUE(anyLineHas(lines, "01: its terminals are hidden until it runs"));
    EXPECT_TRUE(anyLineHas(lines, "boot ldr"));
}

TEST_F(SiteConverge, NoFileAndAUnitInItsBootLoaderIsNoSuccess) {
    // The working folder holds no firmware file.
    testkit::VirtualBus bus(console, testkit::networkFrom(R"({"controllers": [
      {"name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
       "version": "4.20", "terminals": [
        {"name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02",
         "upgradeMode": true},
        {"name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 6, "version": "2.00"}]}]})"));
    const SiteBus site = run(bus);
    EXPECT_FALSE(siteSucceeded(site));
    EXPECT_FALSE(site.verified);
    EXPECT_TRUE(anyLineHas(console.statusLines,
                           "No firmware files for the units found in the working folder"));
    const std::vector<std::string> lines = siteResultLines(site);
    EXPECT_FALSE(anyLineHas(lines, "verified")) << lines.back();
    EXPECT_TRUE(anyLineHas(lines, "left in boot loader: 0101")) << lines.back();
    ASSERT_NE(unitAt(site, "0101"), nullptr);
    EXPECT_EQ(unitAt(site, "0101")->result, SiteResult::LeftInBootLoader);

    // The same site running: nothing to upgrade is no failure, yet nothing was verified.
    bus.network.unit("t1")->upgradeMode = false;
    console.statusLines.clear();
    const SiteBus running = run(bus);
    EXPECT_TRUE(siteSucceeded(running));
    EXPECT_FALSE(running.verified);
    EXPECT_EQ(siteResultLines(running).back(), "Site: nothing to upgrade.");
}

// After "Erase Error 05" on one terminal the closing broadcasts restart the controller's polling
// and a survey at once finds nobody: the unit upgraded beside it is still proven, over a paced
// line as a user has it.
TEST_F(SiteConverge, AFailedEraseLeavesTheOtherTerminalVerifiedAt38400) {
    sitetest::copySamples(folder.path());
    testkit::PtyBus bus(console, testkit::networkFrom(R"({"seed": 1, "controllers": [
      {"name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
       "version": "4.20", "terminals": [
        {"name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02"},
        {"name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 6, "version": "2.00",
         "faults": {"eraseFault": {"sector": "1", "code": "05", "always": true}}}]}]})"),
                        sim::PtyOptions{38400, 0});
    ASSERT_TRUE(bus.serving());
    OperationContext context = bus.context();
    const SiteBus site = runSite(context, *bus.device, {});
    EXPECT_FALSE(siteSucceeded(site));
    const SiteUnit* upgraded = unitAt(site, "0101");
    const SiteUnit* failed = unitAt(site, "0102");
    ASSERT_NE(upgraded, nullptr);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(upgraded->result, SiteResult::Upgraded) << siteResultLines(site)[3];
    EXPECT_EQ(upgraded->after, upgraded->fileVersion);
    EXPECT_NE(failed->result, SiteResult::Upgraded);
    EXPECT_NE(failed->result, SiteResult::NotVerified);
    ASSERT_TRUE(failed->reason);
    EXPECT_NE(failed->reason->find("Erase Error 05"), std::string::npos) << *failed->reason;
}

// The search for units moves the step's bar, not a unit's: a row's bar shows its pages only.
TEST_F(SiteConverge, TheSearchForUnitsMovesNoUnitsBar) {
    sitetest::copySamples(folder.path());
    testkit::VirtualBus bus(console, testkit::networkFrom(kHiddenTerminals));
    int duringSearch = 0, duringPages = 0;
    SiteObserver observer;
    observer.progress = [&](std::size_t, int) {
        (bus.control.phase() == RunPhase::Discovering ? duringSearch : duringPages) += 1;
    };
    OperationContext context = bus.context();
    const SiteBus site = runSite(context, "COM1", {}, observer);
    EXPECT_TRUE(siteSucceeded(site));
    EXPECT_EQ(duringSearch, 0);
    EXPECT_GT(duringPages, 0);
}

} // namespace
