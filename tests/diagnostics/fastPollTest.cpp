// The fast-poll display against the simulated controllers and host interface: rows, online
// and time-out lines, and the ways the diagnostics end.

#include "diagnosticsFixture.h"
#include "link/catalogue.h"
#include "tools/lineDiagnostics.h"

using namespace diagtest;

namespace {

const char* kNetwork = R"({
  "host": { "name": "host", "position": "7F00", "fixedAddress": "00007F01", "productId": 18,
            "fastPoll": { "timeouts": [1, 2] } },
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5,
      "fastPoll": { "units": 64, "timeouts": [0, 7, 255], "secondMap": "80000000" },
      "terminals": [ { "name": "t1", "la": "02", "fixedAddress": "20000102", "productId": 3 } ] },
    { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5,
      "fastPoll": { "units": 40 } },
    { "name": "c3", "la": "03", "fixedAddress": "10000003", "productId": 5,
      "fastPoll": { "supported": false } }
  ]
})";

std::string repeatedZeros(int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += "00 ";
    return out;
}

std::string numbers(int from, int to) {
    std::string out;
    for (int la = from; la <= to; ++la)
        out += hexText::la(static_cast<std::uint8_t>(la)) + " ";
    return out;
}

class FastPollInVirtualTime : public InVirtualTime {
protected:
    void SetUp() override { startNetwork(kNetwork); }
    // Runs until the display has been drawn `readings` times, then clicks "&Stop".
    LineDiagnosticsResult run(const std::string& la, long readings = 1) {
        console.onWait = [&, readings] {
            if (console.reportReplacements >= readings && !control().stopRequested())
                control().requestStop();
        };
        control().end(); // each run starts afresh, as a click does
        control().begin();
        const LineDiagnosticsResult result = runLineDiagnostics(context(), table, {true, la, ""});
        return result;
    }
    SurveyTable table;
};

} // namespace

TEST(FormatOnlineStr, FirstMapOnlineSecondMapOfflineWins) {
    const std::string row = formatOnlineStr("8000000000000000", "0000000000000001");
    ASSERT_EQ(row.size(), 64u * 3u);
    EXPECT_EQ(row.substr(0, 3), "-- ");   // LA 1
    EXPECT_EQ(row.substr(63 * 3), "## "); // LA 64
    EXPECT_EQ(row.substr(3, 62 * 3), std::string(62 * 3, ' '));
    // Both set: offline; a shorter or lower-case second map counts as 0 where it has no digit.
    EXPECT_EQ(formatOnlineStr("1", "1"), "--          ");
    EXPECT_EQ(formatOnlineStr("30", "1"), "            -- ##       ");
    EXPECT_EQ(formatOnlineStr("0F", "0f"), "## ## ## ##             ");
}

TEST_F(FastPollInVirtualTime, SixtyFourTerminalsShowFourRowsWithOnlineAndTimeouts) {
    run("01");
    const std::string online = "   ## " + std::string(14 * 3, ' ');
    const std::string timeouts = "00 07 FF " + repeatedZeros(13);
    std::vector<std::string> expected = {
        "# Monitoring of low-level Fast Poll communication timeouts       #",
        "  Terminal LA: " + numbers(1, 16), "       Online: " + online.substr(0, 47),
        "      Timeout: " + timeouts.substr(0, 47), ""};
    ASSERT_EQ(console.reportLines.size(), 1u + 4u * 4u + 1u) << console.reportLines.size();
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(console.reportLines[i], expected[i]) << i;
    EXPECT_EQ(console.reportLines[13], "  Terminal LA: " + numbers(49, 64));
    // LA 32 is offline by the second map; LA 2 (t1) online by the first.
    EXPECT_EQ(console.reportLines[6], "       Online: " + std::string(15 * 3, ' ') + "--");
    EXPECT_EQ(console.reportLines.back(), "Finished.");
    EXPECT_EQ(frames().front(), (SentFrame{"0100", "A90"}));
    EXPECT_EQ(frames().at(1), (SentFrame{"0100", "A91"}));
    EXPECT_EQ(frames().at(2), (SentFrame{"0100", "A800"}));
    EXPECT_EQ(frames().at(3), (SentFrame{"0100", "A801"}));
}

TEST_F(FastPollInVirtualTime, FortyTerminalsShowThreeRowsTheLastUpToLA28) {
    run("02", 3);
    ASSERT_EQ(console.reportLines.size(), 1u + 3u * 4u + 1u);
    EXPECT_EQ(console.reportLines[9], "  Terminal LA: " + numbers(0x21, 0x28));
    EXPECT_EQ(console.reportLines[11], "      Timeout: " + repeatedZeros(8));
    // The 40-LA maps fill ten digits: the row holds 40 cells, the rest is cut.
    EXPECT_EQ(console.reportLines[10], "       Online: " + std::string(8 * 3, ' '));
    // Twice a second: three readings took two pauses of 500 ms.
    EXPECT_GE(clock().nowMs(), 1000u);
    EXPECT_LT(clock().nowMs(), 1500u + 3u * 4u * 100u);
}

TEST_F(FastPollInVirtualTime, TheHostInterfaceListsControllersWithoutOnlineRows) {
    run("7F");
    EXPECT_EQ(console.reportLines.at(1), "Controller LA: " + numbers(1, 16));
    EXPECT_EQ(console.reportLines.at(2), "      Timeout: 01 02 " + repeatedZeros(14).substr(0, 41));
    for (const SentFrame& f : frames())
        EXPECT_TRUE(f.command != "A800" && f.command != "A801") << f.command;
}

TEST_F(FastPollInVirtualTime, SilentOrUnsupportedUnitsEndAtOnce) {
    run("09");
    EXPECT_EQ(console.reportLines, (std::vector<std::string>{"No response!", "Finished."}));
    EXPECT_EQ(frames(), (std::vector<SentFrame>{{"0900", "A90"}})); // nobody answered
    run("03");
    EXPECT_EQ(console.reportLines,
              (std::vector<std::string>{"Feature not supported in this version of firmware!",
                                        "Finished."}));
}
