// All units one after the other through the single-unit upgrade, in virtual time: a unit that
// fails gets a second attempt, and the report and the closing reset follow.

#include "image/fileSelection.h"
#include "tests/support/folderTrust.h"
#include "upgrade/global.h"
#include "upgradeFixture.h"

using namespace upgradetest;

namespace {

constexpr char kOneAtATimeTerminals[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "productId": 3, "version": "1.02" },
    { "name": "t2", "la": "02", "productId": 3, "version": "1.02" } ] } ] })";

class TerminalsOneAtATime : public UpgradeInVirtualTime {
protected:
    TerminalsOneAtATime() : UpgradeInVirtualTime(kOneAtATimeTerminals) {
        terminalsOf("01", UpgradeType::AllUnitsOneAtATime);
        writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 4096, 5);
        SilentConsole quiet;
        EXPECT_TRUE(LoadApplicationFile(k2, quiet, 3, UnitType::Terminal,
                                        UpgradeType::AllUnitsOneAtATime, folderTrust()));
        found(1, 3, 0x0102);
        found(2, 3, 0x0102);
    }
    void faultOnPage(const std::string& name, std::size_t page, bool always) {
        network.unit(name)->faults.pageFault = sim::FlashFault{
            static_cast<std::uint32_t>(pageStarts(k2).at(page)), 0x03, always, false};
    }
    void upgrade() {
        UpgradeRun r = run();
        GoUpgradeGlobalOne(r);
    }
    int linesWith(const std::string& text) {
        return static_cast<int>(std::ranges::count(console.statusLines, text));
    }

    FirmwareImage k2;
};

TEST_F(TerminalsOneAtATime, AUnitThatFailsOnceIsDoneAtItsSecondAttemptOneThatFailsTwiceIsNot) {
    faultOnPage("t1", 2, false);
    faultOnPage("t2", 2, true);
    upgrade();

    EXPECT_EQ(linesWith("Find unit [0101]..."), 2);
    EXPECT_EQ(linesWith("Find unit [0102]..."), 2);
    EXPECT_TRUE(flashHolds(unit("t1"), k2));
    EXPECT_EQ(unit("t1").version, k2.fileVersion);
    EXPECT_EQ(state(1), UnitState::Done);
    EXPECT_EQ(state(2), UnitState::Failed);
    const std::vector<std::string>& lines = console.statusLines;
    ASSERT_GE(lines.size(), 5u);
    // The half-written unit stays in its boot loader: no reset of the class starts it.
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{"", "<< Upgrade Report >>", "Unit 0101 upgrade OK.",
                                        "Unit 0102 upgrade Failed!",
                                        "Left in boot loader for the next run: 0102"}));
    EXPECT_EQ(framesTo(network.network(), "01FF", cmd::Reset), 0);
    EXPECT_TRUE(unit("t2").upgradeMode);
}

TEST_F(TerminalsOneAtATime, EveryUnitUpgradedEndsWithTheClassReset) {
    upgrade();
    EXPECT_EQ(state(1), UnitState::Done);
    EXPECT_EQ(state(2), UnitState::Done);
    EXPECT_EQ(console.statusLines.back(), "Reset unit.");
    const sim::ReceivedFrame& last = network.network().frames.back();
    EXPECT_EQ(last.address + last.command, "01FF08");
}

TEST_F(TerminalsOneAtATime, AStopEndsAfterTheCurrentUnitWithoutReport) {
    console.onWait = [&] {
        if (!unit("t1").commands.empty()) control.requestStop();
    };
    upgrade();
    EXPECT_EQ(linesWith("Find unit [0101]..."), 1);
    EXPECT_EQ(linesWith("Find unit [0102]..."), 0);
    EXPECT_EQ(linesWith("<< Upgrade Report >>"), 0);
    EXPECT_EQ(framesTo(network.network(), "01FF", cmd::Reset), 0);
    EXPECT_EQ(state(1), UnitState::Failed);
    // Stopped before its erase: its application is whole, nothing is left half-written.
    EXPECT_TRUE(unit("t1").applicationIntact);
    EXPECT_EQ(linesWith("Left in boot loader for the next run: 0101"), 0);
}

TEST_F(TerminalsOneAtATime, AStopInTheFirstUnitsPagesNamesItForTheNextRun) {
    console.onWait = [&] {
        if (framesTo(network.network(), "0101", cmd::WritePageCode) == 2) control.requestStop();
    };
    upgrade();
    EXPECT_TRUE(unit("t1").upgradeMode);
    EXPECT_EQ(console.statusLines.back(), "Left in boot loader for the next run: 0101");
    EXPECT_EQ(framesTo(network.network(), "01FF", cmd::Reset), 0);
}

} // namespace
