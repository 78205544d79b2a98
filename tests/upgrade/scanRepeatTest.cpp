// The address scan with extra attempts: silence at an LA is asked again only after the pass, in
// as many rounds as the loss met by the units that answered calls for; a damaged reply is asked
// again at once; without extra attempts each LA has its two tries at once, as ever.

#include "link/addressSearch.h"
#include "link/catalogue.h"
#include "upgrade/discovery.h"

#include "upgradeFixture.h"

#include <algorithm>

using namespace upgradetest;

namespace {

constexpr char kThreeControllers[] = R"({ "controllers": [
    { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "version": "2.01" },
    { "name": "c10", "la": "0A", "fixedAddress": "1000000A", "productId": 5, "version": "2.01" },
    { "name": "c12", "la": "0C", "fixedAddress": "1000000C", "productId": 5, "version": "2.01" }
] })";

class ScanRepeats : public UpgradeInVirtualTime {
protected:
    void SetUp() override {
        start(kThreeControllers);
        settings.unitType = UnitType::ControllerAB;
        settings.controllerLA = "FF";
    }

    // The LAs of the scan's status polls, in the order they went out (the probe left out).
    std::vector<std::string> polledLAs() {
        std::vector<std::string> las;
        for (const sim::ReceivedFrame& frame : network().network().frames)
            if (frame.command == cmd::StatusPoll && frame.address != addr::AllControllers)
                las.push_back(frame.address.substr(0, 2));
        return las;
    }
    long pollsOf(const std::string& la) { return std::ranges::count(polledLAs(), la); }

    // The first `count` polls of the scan at la meet what `fault` makes of them.
    void spoilFirstPolls(const std::string& la, const std::string& name, long count,
                         double sim::ReplyFaults::*fault) {
        unit(name).faults.replies.*fault = 1.0;
        console.onWait = [this, la, name, count, fault] {
            unit(name).faults.replies.*fault = pollsOf(la) < count ? 1.0 : 0.0;
        };
    }

    bool findUnits() {
        UpgradeRun upgrade = run();
        return FindUnits(upgrade).succeeded();
    }
    int listed() {
        int count = 0;
        for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la)
            count += units.at(la)->state == UnitState::Pending;
        return count;
    }
};

TEST_F(ScanRepeats, WithoutExtraAttemptsASilentLAHasItsTwoTriesAtOnce) {
    ASSERT_TRUE(findUnits());
    const std::vector<std::string> las = polledLAs();
    ASSERT_EQ(las.size(), 3u + 2u * 61u);
    EXPECT_EQ(las[0], "01");
    EXPECT_EQ(las[1], "01");
    EXPECT_EQ(las[2], "02");
    EXPECT_EQ(las[3], "03");
    EXPECT_EQ(las[4], "03");
    EXPECT_EQ(las.back(), "40"); // nothing asked after the pass
    EXPECT_EQ(listed(), 3);
}

// A clean line: every silent LA is asked once in the pass and once in the one round after it;
// before the round the units found are polled to measure the line, a few milliseconds each.
TEST_F(ScanRepeats, OnACleanLineASilentLAIsAskedOnceMoreAfterThePass) {
    link().setExtraAttempts(3);
    ASSERT_TRUE(findUnits());
    const std::vector<std::string> las = polledLAs();
    for (int la = 1; la <= 64; ++la)
        EXPECT_EQ(las[static_cast<std::size_t>(la - 1)],
                  hexText::la(static_cast<std::uint8_t>(la)));
    for (const char* silent : {"01", "03", "0B", "0D", "40"})
        EXPECT_EQ(pollsOf(silent), 2) << silent;
    const long unitPolls = pollsOf("02") + pollsOf("0A") + pollsOf("0C");
    // The polls of the pass tell nothing of the loss; the three "0A" do.
    EXPECT_EQ(unitPolls, 3 + long(AddressSearch::kMeasuredSendings) - 3);
    EXPECT_EQ(long(las.size()), 61 * 2 + unitPolls);
    const auto round = las.begin() + 64 + (unitPolls - 3);
    EXPECT_EQ(*round, "01");
    EXPECT_EQ(*(round + 1), "03");
    EXPECT_EQ(las.back(), "40");
    EXPECT_EQ(listed(), 3);
}

// 0A is silent in the pass and 02 in the pass and the first round: 0A heard in the first round
// shows the line losing replies (one in two hundred), which calls for a second round, and 02 is
// found in it.
TEST_F(ScanRepeats, AUnitHeardLateMakesTheRoundsThatFindAUnitSilentLonger) {
    link().setExtraAttempts(3);
    spoilFirstPolls("0A", "c10", 1, &sim::ReplyFaults::dropShare);
    unit("c2").faults.replies.dropShare = 1.0;
    const auto spoilTen = console.onWait;
    console.onWait = [&] {
        spoilTen();
        unit("c2").faults.replies.dropShare = pollsOf("02") < 2 ? 1.0 : 0.0;
    };
    ASSERT_TRUE(findUnits());
    EXPECT_EQ(listed(), 3);
    EXPECT_EQ(pollsOf("0A"), 2);
    EXPECT_EQ(pollsOf("02"), 3);
    // The pass and three rounds: 02 heard in the second raised the loss again.
    EXPECT_EQ(pollsOf("03"), 1 + 3);
    // 02 was found after 0A had been heard again.
    const std::vector<std::string>& status = console.statusLines;
    const auto at = [&](const std::string& la) {
        return std::ranges::find_if(
            status, [&](const std::string& line) { return line.starts_with("[" + la + "]"); });
    };
    EXPECT_LT(at("0C"), at("0A"));
    EXPECT_LT(at("0A"), at("02"));
}

// A reply with a bad CRC, or one cut short, shows a unit there: it is asked again at once.
TEST_F(ScanRepeats, ADamagedReplyIsAskedAgainAtOnce) {
    link().setExtraAttempts(3);
    spoilFirstPolls("0A", "c10", 2, &sim::ReplyFaults::badCrcShare);
    ASSERT_TRUE(findUnits());
    const std::vector<std::string> las = polledLAs();
    const auto first = std::ranges::find(las, "0A");
    ASSERT_LE(first + 3, las.end());
    EXPECT_EQ(*(first + 1), "0A");
    EXPECT_EQ(*(first + 2), "0A");
    EXPECT_EQ(*(first + 3), "0B");
    EXPECT_EQ(listed(), 3);
}

// Skip during the rounds: they end there, and the units found so far stand.
TEST_F(ScanRepeats, ASkipEndsTheRounds) {
    link().setExtraAttempts(3);
    console.onSearching = [this](int la) {
        if (polledLAs().size() > 64 && la == 0x10) control().requestSkip();
    };
    ASSERT_TRUE(findUnits());
    EXPECT_EQ(listed(), 3);
    EXPECT_EQ(pollsOf("10"), 2); // asked when the Skip came
    EXPECT_EQ(pollsOf("11"), 1);
}

} // namespace
