// The comms test against the simulated network: which units the Unit CLA box selects, the
// requests they get, the counters, labels and report, and how a run ends.

#include "diagnosticsFixture.h"
#include "tools/lineDiagnostics.h"

#include <algorithm>
#include <set>

using namespace diagtest;

namespace {

// Controllers 01 (terminals 01, 05) and 02 (terminals 05, 07), as a survey records them.
const char* kCommsNetwork = R"({
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "terminals": [
        { "name": "t11", "la": "01", "fixedAddress": "20000101", "productId": 3 },
        { "name": "t15", "la": "05", "fixedAddress": "20000105", "productId": 3 } ] },
    { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "terminals": [
        { "name": "t25", "la": "05", "fixedAddress": "20000205", "productId": 3 },
        { "name": "t27", "la": "07", "fixedAddress": "20000207", "productId": 3 } ] }
  ]
})";

void record(SurveyTable& table, int row, int column, std::uint8_t la, std::int32_t fixed) {
    table.at(row, column).la = la;
    table.at(row, column).fixedAddress = fixed;
}

void surveyed(SurveyTable& table) {
    record(table, 1, 0, 0x01, 0x10000001);
    record(table, 1, 1, 0x01, 0x20000101);
    record(table, 1, 2, 0x05, 0x20000105);
    record(table, 2, 0, 0x02, 0x10000002);
    record(table, 2, 1, 0x05, 0x20000205);
    record(table, 2, 2, 0x07, 0x20000207);
}

class CommsTestInVirtualTime : public InVirtualTime {
protected:
    void SetUp() override {
        startNetwork(kCommsNetwork);
        surveyed(table);
    }
    LineDiagnosticsResult run(const std::string& cla, const std::string& cycles = "0001") {
        control().end(); // each run starts afresh, as a click does
        control().begin();
        const LineDiagnosticsResult result =
            runLineDiagnostics(context(), table, {false, cla, cycles});
        return result;
    }
    std::set<std::string> addressesAsked() {
        std::set<std::string> asked;
        for (const SentFrame& f : frames())
            asked.insert(f.address);
        return asked;
    }

    SurveyTable table;
};

using Addresses = std::set<std::string>;

} // namespace

TEST_F(CommsTestInVirtualTime, UnitCLABoxSelectsTheUnits) {
    const std::vector<std::pair<std::string, Addresses>> cases = {
        {"FFFF", {"0100", "0101", "0105", "0200", "0205", "0207"}},
        {"FF00", {"0100", "0200"}},
        {"02FF", {"0200", "0205", "0207"}},
        {"0205", {"0205"}},
        {"FF05", {"0100", "0105", "0200", "0205"}},
    };
    for (const auto& [cla, expected] : cases) {
        bus->network.network().frames.clear();
        const LineDiagnosticsResult result = run(cla);
        EXPECT_EQ(addressesAsked(), expected) << cla;
        EXPECT_EQ(result.commsTest.unitsReported, static_cast<int>(expected.size())) << cla;
        EXPECT_EQ(result.commsTest.failed, 0u) << cla;
    }
}

TEST_F(CommsTestInVirtualTime, AUnitThatStopsAnsweringCountsAsFailedAndTheTestGoesOn) {
    table.at(1, 2).duplicate = true;       // never tested
    record(table, 2, 3, 0x09, 0x20000209); // surveyed once, gone now
    const LineDiagnosticsResult result = run("02FF", "2");
    EXPECT_EQ(result.commsTest.unitsReported, 4);
    const auto& lines = console.reportLines;
    const auto at = std::find(lines.begin(), lines.end(), "Unit Logical Address [CCTT]: 0209");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at + 1), "Pass rate: 0%    [0/2][0/2][0/2][0/2][0/6][0/6][0/6][0/6]");
    EXPECT_EQ(console.label(ConsoleLabel::Cycle), "Cycles: 2");
    // 3 answering units and the silent one, 16 requests each per cycle.
    EXPECT_EQ(result.commsTest.passed, 2u * 3u * 16u);
    EXPECT_EQ(result.commsTest.failed, 2u * 16u);
    EXPECT_EQ(console.label(ConsoleLabel::Progress), "Pass rate: 75%  [96/32]");
}

TEST_F(CommsTestInVirtualTime, ASecondClickEndsAfterTheUnitInProgressAndReportsWhatWasTested) {
    // The operator clicks once the third unit is being asked.
    console.onWait = [&] {
        if (console.label(ConsoleLabel::Cla) == "CLA: [0105]" && !control().stopRequested())
            control().requestStop();
    };
    const LineDiagnosticsResult result = run("FFFF", "0005");
    EXPECT_EQ(console.label(ConsoleLabel::Cycle), "Cycles: 1");
    EXPECT_EQ(result.commsTest.unitsReported, 3);
    EXPECT_EQ(frames().size(), 3u); // kind 1 to three units
    EXPECT_EQ(console.reportLines.back(), "Finished.");
}

TEST_F(CommsTestInVirtualTime, NoCycleRunsForZeroOrForCyclesThatAreNotANumber) {
    run("FFFF", "0000");
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(
        console.reportLines,
        (std::vector<std::string>{"", "##  Comms Test  ##",
                                  "Click on Ping button before running Comms Test!", "Finished."}));
    console.reportLines.clear();
    run("FFFF", "1 2 ");
    EXPECT_TRUE(frames().empty());
    ASSERT_FALSE(console.reportLines.empty());
    EXPECT_EQ(console.reportLines.front(),
              "No Of Cycles: \"1 2 \" is not a decimal number, no cycle was run.");
    EXPECT_EQ(console.reportLines.at(3), "Click on Ping button before running Comms Test!");
}

TEST_F(CommsTestInVirtualTime, WithoutASurveyNothingIsSent) {
    table.clear();
    run("FFFF");
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(console.reportLines.at(2), "Click on Ping button before running Comms Test!");
}

TEST(CommsTestPassRate, NearestIntegerWithHalvesToTheEvenNeighbour) {
    EXPECT_EQ(passRate(1, 2), 33);
    EXPECT_EQ(passRate(1, 7), 12); // 12.5
    EXPECT_EQ(passRate(1, 1), 50);
    EXPECT_EQ(passRate(3, 5), 38); // 37.5
    EXPECT_EQ(passRate(2, 1), 67);
    EXPECT_EQ(passRate(0, 0), 0);
    EXPECT_EQ(passRate(0xFFFFFFFFu, 0), 100);
}

// Over the wire: the eight kinds' exact requests and the report of one always-answering unit.
class CommsTestOnPty : public OnPty {};

TEST_F(CommsTestOnPty, OneCycleAgainstOneAlwaysAnsweringUnit) {
    startNetwork(R"({"controllers": [
        { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5 }]})");
    SurveyTable table;
    record(table, 1, 0, 0x01, 0x10000001);
    const LineDiagnosticsResult result =
        runLineDiagnostics(context(), table, {false, "FFFF", "0001"});
    EXPECT_TRUE(result.portOpened);
    EXPECT_EQ(console.reportLines,
              (std::vector<std::string>{
                  "", "##  Comms Test  ##", "", "Unit Logical Address [CCTT]: 0100",
                  "Pass rate: 100%    [1/0][1/0][1/0][1/0][3/0][3/0][3/0][3/0]", "Finished."}));
    EXPECT_EQ(console.label(ConsoleLabel::Progress), "Pass rate: 100%  [16/0]");
    EXPECT_EQ(console.label(ConsoleLabel::Cla), "CLA: [0100]");
    EXPECT_EQ(console.label(ConsoleLabel::Cycle), "Cycles: 1");

    std::vector<std::string> commands;
    for (const SentFrame& f : frames())
        commands.push_back(f.command);
    const std::string filler =
        "gfrrf747ogasfki7iufeofh7o4589t3o9th548ghoe59s8ygho589tygheo9ghesopg98y539as8tgyh";
    const std::string longer = "gfrrf747ogasfki7iufeofh7o4589t3o9th548ghoe59s8yghoddddddddddddddff"
                               "44444444444444444445454533333333dsdsds589tygheo9ghesopg98y539as8tg"
                               "yh";
    ASSERT_EQ(filler.size(), 80u);
    ASSERT_EQ(longer.size(), 134u);
    std::vector<std::string> expected = {"01", "01" + filler, "0A", "0A" + filler};
    for (const std::string& request :
         std::vector<std::string>{"01", "01" + filler, "0A", "0A" + longer})
        expected.insert(expected.end(), 3, request);
    EXPECT_EQ(commands, expected);
    EXPECT_FALSE(port().IsOpen());
}
