// What the site run says of a unit comes from what happened to it, in virtual time: a first Stop
// from the moment a unit is asked into upgrade mode lets it finish, a unit left in its boot
// loader is said to be there with its own reason, a refused file is no success, and the history
// names every unit it touched by its fixed address, or refuses the unit when it cannot.

#include "link/catalogue.h"
#include "site/siteReport.h"
#include "site/siteRun.h"
#include "tests/site/siteFixture.h"
#include "tests/support/simBus.h"
#include "trust/crypto.h"
#include "trust/history.h"
#include "trust/wholeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

// A controller behind its file with two terminals behind theirs: one "ALL units" step writes the
// terminals, one the controller.
constexpr char kSite[] = R"({ "seed": 3, "controllers": [
  { "name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
    "version": "%CONTROLLER%", "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" } ] } ] })";

std::string site(const std::string& controllerVersion) {
    std::string text = kSite;
    text.replace(text.find("%CONTROLLER%"), 12, controllerVersion);
    return text;
}

class SiteLifeCycle : public ::testing::Test {
protected:
    explicit SiteLifeCycle(const std::string& controllerVersion = "4.20")
        : bus(console, testkit::networkFrom(site(controllerVersion))) {
        sitetest::copySamples(folder.path());
    }
    SiteBus run() {
        OperationContext context = bus.context();
        return runSite(context, "COM1", {});
    }
    std::size_t heardBy(const std::string& address, const std::string& prefix) const {
        const auto& frames = bus.network.network().frames;
        return static_cast<std::size_t>(
            std::count_if(frames.begin(), frames.end(), [&](const sim::ReceivedFrame& f) {
                return f.address == address && f.command.starts_with(prefix);
            }));
    }
    static const SiteUnit& unitAt(const SiteBus& site, const std::string& address) {
        const auto it = std::ranges::find(site.units, address, &SiteUnit::address);
        if (it == site.units.end()) throw std::runtime_error("no unit " + address);
        return *it;
    }
    sim::Unit& simUnit(const std::string& name) { return *bus.network.unit(name); }
    bool runsNewFirmware(const std::string& name) {
        const sim::Unit& unit = simUnit(name);
        return !unit.upgradeMode && unit.applicationIntact && unit.version != 0x0102;
    }

    WorkingFolder folder;
    RecordingConsole console;
    testkit::VirtualBus bus;
};

TEST_F(SiteLifeCycle, AStopRightAfterTheEraseLetsBothTerminalsFinish) {
    // The erase went out to the class, no page yet: the units are in hand.
    std::vector<StopLevel> levels;
    console.onWait = [&] {
        if (levels.empty() && heardBy("01FF", cmd::EraseAll) == 1 &&
            heardBy("01FF", cmd::WritePageCode) == 0)
            levels.push_back(bus.control.requestStop());
    };
    const SiteBus done = run();
    ASSERT_EQ(levels, std::vector<StopLevel>{StopLevel::AfterUnitsInHand});
    EXPECT_TRUE(runsNewFirmware("t1"));
    EXPECT_TRUE(runsNewFirmware("t2"));
    EXPECT_EQ(siteOutcome(done).kind, OutcomeKind::Stopped);
    for (const char* address : {"0101", "0102"})
        EXPECT_EQ(unitAt(done, address).result, SiteResult::NotVerified) << address;
    EXPECT_EQ(siteResultLines(done).back(), "Site run stopped (COM1): not verified.");
}

TEST_F(SiteLifeCycle, AUnitThatFailsAfterTheFirstStopIsLeftInItsBootLoaderWithItsReason) {
    // A first Stop amid the pages; then t2 loses its power for good and answers no more.
    bool stopped = false;
    console.onWait = [&] {
        if (stopped || heardBy("01FF", cmd::WritePageCode) < 3) return;
        stopped = true;
        bus.control.requestStop();
        const auto frames = static_cast<std::uint32_t>(bus.network.network().frames.size());
        simUnit("t2").faults.powerLoss = sim::PowerLoss{0, 3600000, false, frames + 1};
    };
    const SiteBus done = run();
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(runsNewFirmware("t1"));
    EXPECT_FALSE(simUnit("t2").applicationIntact);
    const SiteUnit& t2 = unitAt(done, "0102");
    EXPECT_EQ(t2.result, SiteResult::LeftInBootLoader);
    ASSERT_TRUE(t2.reason);
    EXPECT_EQ(*t2.reason, "No response!");
    EXPECT_EQ(siteResultLines(done).back(),
              "Site not up to date (COM1): left in boot loader: 0102 (No response!).");
    EXPECT_EQ(siteOutcome(done).kind, OutcomeKind::Stopped);
}

TEST_F(SiteLifeCycle, EveryHistoryRecordNamesItsUnitAndAFailureItsReason) {
    simUnit("t2").faults.eraseFault = sim::FlashFault{1, 0x05, true, false};
    const SiteBus done = run();
    EXPECT_FALSE(siteSucceeded(done));
    const HistoryRead history = ReadHistory();
    ASSERT_EQ(history.records.size(), 4u);
    for (const HistoryRecord& record : history.records)
        EXPECT_FALSE(record.fixedAddress.empty()) << HistoryLine(record);
    const std::vector<HistoryRecord> t2 = RecordsOfUnit(history.records, "20000102");
    ASSERT_EQ(t2.size(), 2u);
    EXPECT_EQ(t2[0].outcome, "started");
    EXPECT_EQ(t2[1].outcome, "failed");
    EXPECT_EQ(t2[1].reason, "Erase Error 05");
    EXPECT_EQ(RecordsOfUnit(history.records, "20000101").back().outcome, "completed");
}

TEST_F(SiteLifeCycle, AHistoryThatCannotBeWrittenRefusesEveryUnitBeforeItIsAsked) {
    std::filesystem::create_directory(kHistoryFileName);
    const SiteBus done = run();
    EXPECT_EQ(heardBy("0101", cmd::EnterUpgrade) + heardBy("0102", cmd::EnterUpgrade), 0u);
    EXPECT_EQ(heardBy("01FF", cmd::EraseAll), 0u);
    for (const char* address : {"0101", "0102"}) {
        const SiteUnit& unit = unitAt(done, address);
        EXPECT_EQ(unit.result, SiteResult::Refused) << address;
        ASSERT_TRUE(unit.reason);
        EXPECT_TRUE(unit.reason->starts_with("History cannot be written: ")) << *unit.reason;
    }
    EXPECT_EQ(siteOutcome(done).kind, OutcomeKind::Refused);
}

// The working folder's list names every sample file by its digest but one, whose digest is
// wrong.
void listAllBut(const std::string& wrong) {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name == kHistoryFileName) continue;
        const std::string digest = name == wrong
                                       ? std::string(64, '0')
                                       : LowerHex(Sha256Of(ReadWholeFile(name, 1 << 24).bytes));
        text += digest + "  " + name + "\n";
    }
    std::ofstream("SHA256SUMS", std::ios::binary) << text;
}

TEST_F(SiteLifeCycle, ARefusedFileIsNoSuccessAndTheVerdictNamesItsUnits) {
    listAllBut("Terminal-K2.hex");
    const SiteBus done = run();
    EXPECT_EQ(siteOutcome(done).kind, OutcomeKind::Refused);
    EXPECT_TRUE(siteResultLines(done).back().starts_with(
        "Site not up to date (COM1): refused: 0101 (Firmware file Terminal-K2.hex does not "
        "match SHA256SUMS"))
        << siteResultLines(done).back();
    EXPECT_EQ(heardBy("0101", cmd::EnterUpgrade) + heardBy("01FF", cmd::EraseAll), 0u);
    EXPECT_EQ(simUnit("t1").version, 0x0102);
}

class SiteLifeCycleBehind : public SiteLifeCycle {
protected:
    SiteLifeCycleBehind() : SiteLifeCycle("2.01") {}
};

TEST_F(SiteLifeCycleBehind, ARefusedUnitBesideAnUpgradedOneMakesTheBusRefused) {
    listAllBut("Terminal-K2.hex");
    const SiteBus done = run();
    EXPECT_EQ(unitAt(done, "0100").result, SiteResult::Upgraded);
    EXPECT_EQ(siteOutcome(done).kind, OutcomeKind::Refused);
    const std::string verdict = siteResultLines(done).back();
    EXPECT_NE(verdict.find("refused: 0101 ("), std::string::npos) << verdict;
    EXPECT_NE(verdict.find("0102 ("), std::string::npos) << verdict;
}

} // namespace
