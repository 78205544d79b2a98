// Finding the units for a global upgrade: by the controller's list and by address scan.

#include "upgrade/discovery.h"
#include "link/catalogue.h"
#include "trust/folderTrust.h"

#include "product/products.h"
#include "scriptedBackend.h"
#include "upgrade/dispatcher.h"
#include "upgradeFixture.h"
#include <algorithm>

using namespace upgradetest;

namespace {

// The controller lists LA 05 twice and one LA beyond the table; the unit in upgrade mode is
// recorded with version FFFF.
TEST_F(UpgradeInVirtualTime, TheListNamesEachLAOnceAndNothingOutsideTheTable) {
    start(networkWith(R"(
        { "name": "a", "la": "05", "fixedAddress": "20000105", "productId": 3, "version": "1.02" },
        { "name": "b", "la": "05", "fixedAddress": "20000106", "productId": 38, "version": "3.04" },
        { "name": "c", "la": "50", "fixedAddress": "20000150", "productId": 3, "version": "1.02" },
        { "name": "d", "la": "40", "fixedAddress": "20000140", "productId": 81, "version": "1.10",
          "upgradeMode": true })"));
    settings.controllerLA = "01";
    UpgradeRun upgrade = run();
    EXPECT_TRUE(FindUnits(upgrade).succeeded());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{" LA    Unit Type", "[05] - " + getProductName(3),
                                        "[05] - Duplicate LA!", "[50] - LA out of range!",
                                        "[40] - " + getProductName(81), ""}));
    EXPECT_EQ(units.at(5)->productId, 3);
    EXPECT_EQ(units.at(5)->version, 0x0102);
    EXPECT_EQ(units.at(5)->upgradeClass, 2);
    EXPECT_EQ(units.at(5)->state, UnitState::Pending);
    EXPECT_EQ(units.at(64)->version, 0xFFFF);
    // No scan after a list: only the listed units were asked.
    EXPECT_TRUE(unit("c").commands.empty());
    EXPECT_EQ(console.lastMax, 100);
}

TEST_F(UpgradeInVirtualTime, ASkippedScanKeepsTheUnitsFoundSoFar) {
    start(R"({ "controllers": [
        { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "version": "2.01" },
        { "name": "c10", "la": "0A", "fixedAddress": "1000000A", "productId": 5, "version": "2.01",
          "upgradeMode": true },
        { "name": "c12", "la": "0C", "fixedAddress": "1000000C", "productId": 5, "version": "2.01" }
    ] })");
    settings.unitType = UnitType::ControllerAB;
    settings.controllerLA = "FF";
    console.onProgress = [this](int position) {
        if (position == 10) control().requestSkip();
    };
    UpgradeRun upgrade = run();
    EXPECT_TRUE(FindUnits(upgrade).succeeded());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{" LA    Unit Type", "[02] - " + getProductName(5),
                                        "[0A] - " + getProductName(5), ""}));
    EXPECT_EQ(units.at(10)->version, 0xFFFF);
    EXPECT_EQ(units.at(12)->state, UnitState::Empty);
    const auto& heard = unit("c12").commands; // the probe to FF00 reached it, nothing more
    EXPECT_EQ(std::count(heard.begin(), heard.end(), std::string(cmd::UnitInfo)), 0);
    EXPECT_FALSE(control().skipRequested());
    EXPECT_EQ(console.positions.back(), 0);
}

// Stop while the controllers are scanned: the scan ends at the next LA and the run closes as a
// stopped run does, with no unit put into upgrade mode after the Stop.
TEST_F(UpgradeInVirtualTime, AStopDuringTheScanTouchesNoUnit) {
    start(R"({ "controllers": [
        { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "version": "1.01" },
        { "name": "c30", "la": "1E", "fixedAddress": "1000001E", "productId": 5, "version": "1.01" }
    ] })");
    settings.unitType = UnitType::ControllerAB;
    settings.upgradeType = UpgradeType::AllUnits;
    settings.controllerLA = "FF";
    scope.controllerScope = true;
    std::size_t framesAtStop = 0;
    console.onProgress = [this, &framesAtStop](int position) {
        if (position != 10 || framesAtStop != 0) return;
        control().requestStop();
        framesAtStop = network().network().frames.size();
    };
    UpgradeRun upgrade = run();
    EXPECT_FALSE(RunUpgrade(upgrade).succeeded());
    const auto& frames = network().network().frames;
    ASSERT_GT(framesAtStop, 0u);
    for (std::size_t i = framesAtStop; i < frames.size(); ++i)
        EXPECT_FALSE(frames[i].command.starts_with(cmd::EnterUpgrade)) << frames[i].address;
    // The LA being asked when Stop came has its answer (or time-outs), and no other is asked.
    EXPECT_LE(frames.size() - framesAtStop, 4u);
    EXPECT_FALSE(unit("c2").upgradeMode);
    EXPECT_TRUE(std::none_of(frames.begin(), frames.end(),
                             [](const sim::ReceivedFrame& f) { return f.address == "1E00"; }));
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [](const sim::ReceivedFrame& f) {
                                return f.address == "FF00" && f.command == cmd::UpgradeRunEnd;
                            }),
              1);
    EXPECT_EQ(console.statusLines.back(), "Finished.");
}

TEST_F(UpgradeInVirtualTime, ARunThatFindsNobodyIsStillFramedAndFails) {
    start(networkWith(kPlainTerminal));
    settings.unitType = UnitType::Terminal;
    settings.upgradeType = UpgradeType::AllUnitsOneAtATime;
    settings.controllerLA = "03"; // no controller there: the scan finds nobody
    UpgradeRun upgrade = run();
    EXPECT_FALSE(RunUpgrade(upgrade).succeeded());
    EXPECT_EQ(console.statusLines, (std::vector<std::string>{"", "No Units found!", "Finished."}));
    const auto& broadcasts = network().network().broadcasts;
    ASSERT_EQ(broadcasts.size(), 2u);
    EXPECT_EQ(broadcasts.front().command, cmd::UpgradeRunStart);
    EXPECT_EQ(broadcasts.back().command, cmd::UpgradeRunEnd);
}

} // namespace

namespace {

// A controller whose list announces more records than its reply carries.
TEST(DiscoveryByList, RecordsBeyondTheReplyAreNotStored) {
    VirtualClock clock;
    auto* line = new ScriptedBackend(clock);
    line->responder = [](const std::string& frame, int) -> std::vector<ReplyChunk> {
        const std::string command = frame.substr(15, frame.size() - 15 - 5);
        if (command == cmd::StatusPoll) return {{1, PtyPeer::statusReplyTo(frame)}};
        if (command == cmd::UnitList)
            return {{1, PtyPeer::statusReplyTo(frame, "00"
                                                      "03"
                                                      "05"
                                                      "20000105"
                                                      "03")}};
        return {};
    };
    BarConsole console;
    LinkSession session(console, clock, std::unique_ptr<SerialBackend>(line));
    configureForTool(session.port());
    ASSERT_TRUE(session.port().OpenPort());
    session.port().SuspendPolling();
    FirmwareImage image;
    FoundUnits units;
    UpgradeSettings settings;
    settings.controllerLA = "01";
    const FirmwareTrust trust = ReadFirmwareTrust(session.trustSettings());
    UpgradeRun run{session.context(trust), settings, {}, image, units};
    EXPECT_TRUE(FindUnits(run).succeeded());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{" LA    Unit Type", "[05] - " + getProductName(3),
                                        "Unit list holds 1 of 3 units!", ""}));
    int stored = 0;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la)
        stored += units.at(la)->productId != 0;
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(units.at(5)->version, 0); // no "0A" answer: listed all the same
}

} // namespace
