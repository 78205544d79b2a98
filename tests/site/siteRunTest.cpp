// The whole-site run against the simulated mixed site, in virtual time: the procedures' pauses
// and confirmation loops take no real time.

#include "site/siteRun.h"
#include "image/fileSelection.h"
#include "image/remoteImage.h"
#include "link/silentConsole.h"
#include "tests/site/siteFixture.h"
#include "tests/support/folderTrust.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// The unit type under which a simulated unit's file is read, by product.
UnitType unitTypeFor(const SiteUnit& unit) {
    if (unit.kind == SiteUnitKind::Host) return UnitType::HostInterface;
    if (unit.productId == 50 && unit.kind == SiteUnitKind::Controller)
        return UnitType::ControllerCD;
    return unit.kind == SiteUnitKind::Controller ? UnitType::ControllerAB : UnitType::Terminal;
}

bool heard(const sim::Unit& unit, const std::string& prefix) {
    return std::any_of(unit.commands.begin(), unit.commands.end(),
                       [&](const std::string& c) { return c.starts_with(prefix); });
}

class SiteRun : public ::testing::Test {
protected:
    SiteRun() : bus(console, testkit::networkFrom(sitetest::mixedSite())) {
        sitetest::copySamples(folder.path());
    }
    SiteBus run(const SiteOptions& options, const SiteObserver& observer = {}) {
        OperationContext context = bus.context();
        return runSite(context, "COM1", options, observer);
    }
    sim::Unit& unit(const std::string& name) { return *bus.network.unit(name); }
    const sim::Unit& unitAt(std::uint32_t fixedAddress) {
        for (const sim::Unit& u : bus.network.network().units)
            if (u.fixedAddress == fixedAddress) return u;
        throw std::runtime_error("no such unit");
    }
    static std::map<std::string, SiteAction> actions(const SiteBus& site) {
        std::map<std::string, SiteAction> byAddress;
        for (const SiteUnit& u : site.units)
            byAddress[u.address] = u.action;
        return byAddress;
    }

    WorkingFolder folder;
    RecordingConsole console;
    testkit::VirtualBus bus;
};

TEST_F(SiteRun, BringsTheMixedSiteUpToDateAndProvesIt) {
    const std::vector<std::uint8_t> currentFlash =
        unit("current-door").flash.read(0, sim::FlashMemory::Size);
    SiteBus planned;
    const SiteBus site = run({false, true, ControllerModel::AB},
                             {[&](const SiteBus& plan) { planned = plan; }, {}, {}, {}, {}, {}});

    const std::map<std::string, SiteAction> expected{
        {"7F00", SiteAction::Upgrade},  {"0100", SiteAction::Upgrade},
        {"0101", SiteAction::Upgrade},  {"0102", SiteAction::Upgrade},
        {"0103", SiteAction::UpToDate}, {"0104", SiteAction::Upgrade},
        {"0105", SiteAction::Upgrade},  {"0106", SiteAction::NoFile},
        {"0200", SiteAction::Upgrade},  {"0201", SiteAction::Upgrade},
        {"0202", SiteAction::Upgrade}};
    EXPECT_EQ(actions(planned), expected);
    ASSERT_TRUE(siteSucceeded(site));

    for (const SiteUnit& u : site.units) {
        if (u.action != SiteAction::Upgrade) continue;
        EXPECT_EQ(u.result, SiteResult::Upgraded) << u.address;
        const sim::Unit& simulated = unitAt(u.fixedAddress);
        if (u.kind == SiteUnitKind::Remote) {
            FirmwareImage image;
            ASSERT_EQ(readRemoteImage(image, 31), RemoteImageResult::Read);
            for (std::uint32_t a = sim::RemoteUnit::AppFirst; a <= sim::RemoteUnit::AppLast; ++a)
                ASSERT_EQ(simulated.remote.flash[a], image.byteAt(static_cast<std::int32_t>(a)))
                    << std::hex << a;
            continue;
        }
        EXPECT_EQ(u.after, u.fileVersion) << u.address;
        FirmwareImage image;
        SilentConsole quiet;
        ASSERT_TRUE(LoadApplicationFile(image, quiet, static_cast<std::uint8_t>(u.productId),
                                        unitTypeFor(u), UpgradeType::SingleUnit, folderTrust()));
        for (std::int32_t a = image.lowestWritten; a <= image.highestWritten; ++a)
            if (image.isWritten(a)) {
                ASSERT_EQ(simulated.flash.at(static_cast<std::uint32_t>(a)), image.byteAt(a))
                    << u.address << " at " << std::hex << a;
            }
    }
    // The current unit shares its class with a unit the broadcast upgraded under the same
    // controller, yet never entered upgrade mode and kept its flash.
    EXPECT_FALSE(heard(unit("current-door"), "E0"));
    EXPECT_EQ(unit("current-door").flash.read(0, sim::FlashMemory::Size), currentFlash);
    EXPECT_FALSE(heard(unit("no-file"), "E0"));

    // Nothing left to do: a second run plans no upgrade and sends no unit into upgrade mode.
    const std::size_t framesBefore = bus.network.network().frames.size();
    const SiteBus again = run({});
    EXPECT_TRUE(siteSucceeded(again));
    for (const SiteUnit& u : again.units)
        EXPECT_NE(u.action, SiteAction::Upgrade) << u.address;
    const auto& frames = bus.network.network().frames;
    EXPECT_TRUE(
        std::none_of(frames.begin() + static_cast<long>(framesBefore), frames.end(),
                     [](const sim::ReceivedFrame& f) { return f.command.starts_with("E"); }));
}

TEST_F(SiteRun, PlanSendsNothingThatChangesAUnit) {
    const SiteBus site = run({true, true, ControllerModel::AB});
    EXPECT_TRUE(siteSucceeded(site));
    ASSERT_EQ(site.units.size(), 11u);
    for (const SiteUnit& u : site.units) {
        EXPECT_FALSE(u.after);
        if (u.action == SiteAction::Upgrade) {
            EXPECT_EQ(u.result, SiteResult::Planned);
        }
    }
    // The survey's requests only: information, identification and lists.
    for (const sim::ReceivedFrame& f : bus.network.network().frames)
        EXPECT_TRUE(f.command.starts_with("0A") || f.command.starts_with("02") ||
                    f.command.starts_with("03") || f.command.starts_with("06") ||
                    f.command.starts_with("94"))
            << f.address << " " << f.command;
    EXPECT_EQ(unit("keypad").version, 0x0102);
}

TEST_F(SiteRun, APlannedFileThatDoesNotReadSaysWhy) {
    // A copy cut short by a junk line, and a download that saved an error page instead.
    std::istringstream sample(sitetest::readText(folder.file("Terminal-K2.hex")));
    std::ostringstream damaged;
    int lineNumber = 0;
    for (std::string line; std::getline(sample, line);)
        damaged << (++lineNumber == 20 ? "junk line FF" : line) << "\n";
    std::ofstream(folder.file("Terminal-K2.hex"), std::ios::trunc) << damaged.str();
    std::ofstream(folder.file("Terminal-K1.hex"), std::ios::trunc)
        << "<html>\n<body>Not Found</body>\n</html>\n";

    const SiteBus site = run({true, true, ControllerModel::AB});
    std::map<std::string, std::optional<std::string>> reasons;
    for (const SiteUnit& u : site.units)
        if (u.action == SiteAction::NoFile) reasons[u.address] = u.reason;
    const std::optional<std::string> damagedReason = "Application File damaged at line 20!";
    const std::map<std::string, std::optional<std::string>> expected{
        {"0101", damagedReason},
        {"0103", damagedReason},
        {"0104", "Application File holds no data!"},
        {"0106", std::nullopt}};
    EXPECT_EQ(reasons, expected);
}

TEST_F(SiteRun, AFailedUnitFailsTheRunWhileTheOthersComplete) {
    // The erase fails before any page: the unit stays in its boot loader, and says why.
    unit("class-zero").faults.eraseFault = sim::FlashFault{1, 0x03, true, false};
    const SiteBus site = run({false, false, ControllerModel::AB});
    EXPECT_FALSE(siteSucceeded(site));
    for (const SiteUnit& u : site.units) {
        if (u.action != SiteAction::Upgrade) continue;
        EXPECT_EQ(u.result,
                  u.address == "0104" ? SiteResult::LeftInBootLoader : SiteResult::Upgraded)
            << u.address;
        if (u.address == "0104") {
            ASSERT_TRUE(u.reason);
            EXPECT_NE(u.reason->find("Erase Error 03"), std::string::npos) << *u.reason;
        }
    }
    EXPECT_EQ(site.passes, 1);
}

TEST_F(SiteRun, StopEndsTheRunAtTheProcedureCheckpoint) {
    // Stopped twice while the first upgrade (the remote) writes: no unit is put into upgrade
    // mode after it, no verifying survey runs, and the remote, cut amid its blocks, is said to
    // sit in its boot loader.
    SiteObserver observer;
    observer.progress = [&](std::size_t, int) { bus.control.requestStop(); };
    const SiteBus site = run({false, true, ControllerModel::AB}, observer);
    EXPECT_EQ(site.end.kind, OutcomeKind::Stopped);
    EXPECT_FALSE(siteSucceeded(site));
    for (const SiteUnit& u : site.units)
        if (u.action == SiteAction::Upgrade) {
            EXPECT_EQ(u.result, u.kind == SiteUnitKind::Remote ? SiteResult::LeftInBootLoader
                                                               : SiteResult::NotDone)
                << u.address;
        }
    for (const char* name : {"keypad", "door-module", "class-zero", "controller-ab", "hub", "host"})
        EXPECT_FALSE(heard(unit(name), "E0")) << name;
}

TEST_F(SiteRun, AUnitConfirmedBeforeAStopIsReportedNotVerified) {
    // Stopped at once (Stop twice) inside the all-at-once upgrade of controller 01's terminals,
    // once one of them is through: that one was upgraded, the units its run had not finished
    // were not done.
    std::string through;
    console.onWait = [&] {
        if (!through.empty()) return;
        for (const std::string& line : console.statusLines)
            if (line.starts_with("Unit 01") && line.ends_with(" upgrade OK.")) {
                through = line.substr(5, 4);
                bus.control.requestStop();
                bus.control.requestStop();
            }
    };
    const SiteBus site = run({false, false, ControllerModel::AB});
    ASSERT_FALSE(through.empty());
    EXPECT_EQ(site.end.kind, OutcomeKind::Stopped);
    int notDone = 0;
    for (const SiteUnit& u : site.units) {
        if (u.action != SiteAction::Upgrade) continue;
        if (u.address == through) {
            EXPECT_EQ(u.result, SiteResult::NotVerified);
        } else {
            EXPECT_NE(u.result, SiteResult::Upgraded) << u.address;
            notDone += u.result == SiteResult::NotDone;
        }
    }
    EXPECT_GT(notDone, 0);
}

} // namespace
