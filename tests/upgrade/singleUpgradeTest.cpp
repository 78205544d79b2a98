// One unit upgraded end to end against the simulated network: the log of the pass, what the
// unit's flash holds afterwards, and every way the pass can end early.

#include "image/pageFormat.h"
#include "link/catalogue.h"
#include "upgrade/dispatcher.h"
#include "upgrade/pageBar.h"
#include "upgrade/single.h"
#include "upgradeFixture.h"

#include <algorithm>
#include <fstream>
#include <thread>

using namespace upgradetest;

namespace {

std::size_t countOf(const std::vector<std::string>& commands, const std::string& prefix) {
    return std::count_if(commands.begin(), commands.end(),
                         [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

const std::vector<std::string> kSuccessfulPass = {
    "Find unit [0101]...", "V2.21  Terminal-K2.hex", "Unit 0101 Entering Upgrade mode...",
    "BB v0100:App v0102",  "In Upgrade mode",        "Erase Flash...",
    "Write Flash...",      "Resetting unit...",      "Upgrade OK.",
    "Reset unit."};

TEST_F(UpgradeOverPty, ASinglePassLogsItsTenLinesAndLeavesTheImageInFlash) {
    start(networkWith(kPlainTerminal));
    settings.controllerLA = "01";
    settings.terminalLA = "01";
    UpgradeRun upgrade = run();
    EXPECT_TRUE(RunUpgrade(upgrade).succeeded());
    std::vector<std::string> expected = kSuccessfulPass;
    expected.push_back("Finished.");
    EXPECT_EQ(console.statusLines, expected);
    EXPECT_EQ(console.positions.back(), 100);
    // "9B01" goes out without waiting: give the simulator a moment to take it in.
    sim::Network net = simulator().snapshot();
    for (int wait = 0; wait < 100 && net.broadcasts.size() < 2; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        net = simulator().snapshot();
    }
    expectUnitRunsImage(net.units[1], image);
    // The run is framed for every controller, and the controller hears the end of it.
    ASSERT_GE(net.broadcasts.size(), 2u);
    EXPECT_EQ(net.broadcasts.front().command, cmd::UpgradeRunStart);
    EXPECT_EQ(net.broadcasts.back().command, cmd::UpgradeRunEnd);
    EXPECT_EQ(countOf(net.units[0].commands, cmd::ControllerUpgradeEnd), 1u);
}

TEST_F(UpgradeOverPty, StopDuringThePagesEndsWithoutAReset) {
    start(networkWith(kPlainTerminal));
    settings.controllerLA = "01";
    settings.terminalLA = "01";
    console.onProgress = [this](int position) {
        if (position >= 30) control().requestStop();
    };
    UpgradeRun upgrade = run();
    EXPECT_FALSE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Write Flash...");
    const sim::Unit terminal = *simulator().unit("t1");
    EXPECT_EQ(countOf(terminal.commands, cmd::Reset), 0u);
    EXPECT_TRUE(terminal.upgradeMode);
    // The page in flight when the stop came was finished, and no page after it was sent.
    const auto pages = countOf(terminal.commands, cmd::WritePageCode);
    EXPECT_GT(pages, 0u);
    EXPECT_EQ(pages + 1, console.positions.size()); // the empty bar, then one step a page
    EXPECT_LT(console.positions.back(), 100);
}

TEST_F(UpgradeInVirtualTime, VersionsDecideUnlessForcedOrTheUnitIsInUpgradeMode) {
    start(networkWith(R"({ "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3,
                           "version": "2.21" },
                         { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3,
                           "version": "9.99", "upgradeMode": true })"));
    settings.controllerLA = "01";
    UpgradeRun upgrade = run();
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Upgrade not necessary.");
    EXPECT_EQ(unit("t1").commands.size(), 1u);

    console.statusLines.clear();
    upgrade.settings.forceUpgrade = true;
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Reset unit.");
    expectUnitRunsImage(unit("t1"), image);

    // Already in upgrade mode: no version test, no entry, the pass starts at the "01".
    console.statusLines.clear();
    upgrade.settings.forceUpgrade = false;
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0102").succeeded());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Find unit [0102]...", "V2.21  Terminal-K2.hex",
                                        "In Upgrade mode", "Erase Flash...", "Write Flash...",
                                        "Resetting unit...", "Upgrade OK.", "Reset unit."}));
    EXPECT_EQ(countOf(unit("t2").commands, cmd::EnterUpgrade), 0u);
    expectUnitRunsImage(unit("t2"), image);
}

TEST_F(UpgradeInVirtualTime, AnUnansweredBulkEraseFallsBackToSevenSectors) {
    start(networkWith(R"({ "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3,
                           "version": "1.02", "faults": { "silentBulkErase": true } })"));
    settings.controllerLA = "01";
    UpgradeRun upgrade = run();
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0101").succeeded());
    std::vector<std::string> erases;
    for (const std::string& c : unit("t1").commands)
        if (c.rfind(cmd::EraseCode, 0) == 0) erases.push_back(c);
    EXPECT_EQ(erases, (std::vector<std::string>{"E27F", "E201", "E202", "E204", "E208", "E210",
                                                "E220", "E240"}));
    expectUnitRunsImage(unit("t1"), image);
}

TEST_F(UpgradeInVirtualTime, AdvancedWritesTheChosenFileAndSkipsTheConfirmation) {
    start(networkWith(kPlainTerminal));
    settings.controllerLA = "01";
    settings.upgradeType = UpgradeType::Advanced;
    console.fileToChoose = "Host-K2.hex";
    UpgradeRun upgrade = run();
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Resetting unit...");
    EXPECT_EQ(console.statusLines.at(1), "V2.30  Host-K2.hex");
    EXPECT_EQ(countOf(unit("t1").commands, cmd::StatusPoll), 1u); // the upgrade-mode check only
    expectUnitRunsImage(unit("t1"), image);
}

struct FailureRow {
    const char* faults;
    const char* address;
    std::vector<std::string> lastLines;
    bool result;
};

// Each row of the failure table, from the line the pass ends with.
TEST_F(UpgradeInVirtualTime, EachFailureEndsThePassWithItsLine) {
    const std::vector<FailureRow> rows = {
        {"{}", "0109", {"No unit detected!"}, false},
        {R"({ "refuseUpgrade": true })", "0101", {"Failed to enter Upgrade mode!"}, false},
        {R"({ "eraseFault": { "sector": 3, "code": "05" } })", "0101", {"Erase Error 05"}, false},
        {R"({ "silentBulkErase": true, "eraseFault": { "sector": 3, "code": "05" } })",
         "0101",
         {"Erase Error 05", "Sector [03/7] failed"},
         false},
        {R"({ "pageFault": { "address": "4080", "code": "0C" } })",
         "0101",
         {"Write Error 0C"},
         false},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.faults);
        start(networkWith(std::string(R"({ "name": "t1", "la": "01", "fixedAddress": "20000101",
            "productId": 3, "version": "1.02", "faults": )") +
                          row.faults + " }"));
        console.statusLines.clear();
        settings.controllerLA = "01";
        UpgradeRun upgrade = run();
        EXPECT_EQ(GoUpgradeSingle(upgrade, row.address).succeeded(), row.result);
        ASSERT_GE(console.statusLines.size(), row.lastLines.size());
        EXPECT_EQ(std::vector<std::string>(console.statusLines.end() - row.lastLines.size(),
                                           console.statusLines.end()),
                  row.lastLines);
        EXPECT_EQ(countOf(unit("t1").commands, cmd::Reset), 0u);
    }
}

TEST_F(UpgradeInVirtualTime, RemoteChoicesThatEndBeforeTheFile) {
    start(networkWith(R"({ "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3,
                           "version": "1.02" },
                         { "name": "r1", "la": "03", "fixedAddress": "20000103", "productId": 31,
                           "version": "1.05", "remote": { "productId": 31, "version": "01FF" } })"));
    settings.unitType = UnitType::Remote;
    settings.controllerLA = "01";
    UpgradeRun upgrade = run();
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Not a Remote!");
    // Refused, not done: the remote still runs its old firmware.
    EXPECT_EQ(GoUpgradeSingle(upgrade, "0103"),
              Outcome::refused("Unable to Upgrade Remote - old version < V2.00 !", "0103"));
    EXPECT_EQ(console.statusLines.back(), "Unable to Upgrade Remote - old version < V2.00 !");
    EXPECT_EQ(unit("r1").commands, std::vector<std::string>{cmd::UnitInfo});
}

// An S-record image whose version word lies far above the application: the bar climbs a page
// at a time, and a page the unit refuses leaves it at the share written before it.
TEST_F(UpgradeInVirtualTime, TheBarMovesByPagesAndStaysWhereAFailedPageLeftIt) {
    constexpr int kPagesBeforeFault = 100;
    start(networkWith(R"({ "name": "t1", "la": "01", "fixedAddress": "20000101",
        "productId": 38, "version": "1.02",
        "faults": { "pageFault": { "address": "7200", "code": "0C" } } })"));
    settings.controllerLA = "01";
    UpgradeRun upgrade = run();
    EXPECT_FALSE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Write Error 0C");
    const int pages = CountPages(image);
    EXPECT_EQ(pages, 24576 / kMaxPageBytes + 1); // the application, then the version's page
    std::vector<int> expected;
    for (int written = 0; written <= kPagesBeforeFault; ++written)
        expected.push_back(PageBar::position(written, pages));
    EXPECT_EQ(console.positions, expected);
    EXPECT_EQ(console.positions.back(), 100 * kPagesBeforeFault / pages);
}

// An image of one byte: the bar shows full at once; the unit, with no version in its flash,
// stays in its boot loader and the pass gives up after the 20 s of confirmation.
TEST_F(UpgradeInVirtualTime, OneByteImageFillsTheBarAndAnUnconfirmedUnitFails) {
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("nexalo-upgrade-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    WorkingFolder inScratch(scratch);
    std::ofstream(scratch / "Terminal-K2.hex") << ":01400000AA15\n:00000001FF\n";
    start(networkWith(kPlainTerminal));
    settings.controllerLA = "01";
    UpgradeRun upgrade = run();
    const std::uint64_t started = clock().nowMs();
    EXPECT_FALSE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Upgrade Failed!");
    EXPECT_EQ(console.positions, (std::vector<int>{0, 100}));
    EXPECT_GE(clock().nowMs() - started, 5000u + 20000u);
    EXPECT_TRUE(unit("t1").upgradeMode);
    std::filesystem::remove_all(scratch);
}

} // namespace

namespace {

// A stop that comes once the reset has gone out changes nothing: the pauses keep the face
// pumped but leave the confirmation to run.
TEST_F(UpgradeInVirtualTime, AStopAfterTheResetIsNotActedOn) {
    start(networkWith(kPlainTerminal));
    settings.controllerLA = "01";
    long waitsAtReset = -1;
    console.onWait = [&] {
        if (waitsAtReset < 0 && console.statusLines.back() == "Resetting unit...") {
            waitsAtReset = console.waits;
            control().requestStop();
        }
    };
    UpgradeRun upgrade = run();
    EXPECT_TRUE(GoUpgradeSingle(upgrade, "0101").succeeded());
    EXPECT_EQ(console.statusLines.back(), "Reset unit.");
    // 5 s and 3 s of pauses, pumped at least every 10 ms.
    EXPECT_GE(console.waits - waitsAtReset, 800);
    expectUnitRunsImage(unit("t1"), image);
}

} // namespace
