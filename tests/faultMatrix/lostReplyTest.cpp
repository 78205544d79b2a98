// Replies lost at one chosen step, where the matrix found a run that failed without a word or
// reported a success the units contradict: the line falls silent from that step on.

#include "image/remoteImage.h"
#include "tests/globalUpgrade/upgradeFixture.h"
#include "tools/networkSurvey.h"
#include "upgrade/remote.h"

using namespace upgradetest;

namespace {

constexpr char kRemoteNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "05", "productId": 5, "terminals": [
    { "name": "r1", "la": "13", "productId": 31, "version": "1.05",
      "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

class RemoteLosingReplies : public UpgradeInVirtualTime {
protected:
    RemoteLosingReplies() : UpgradeInVirtualTime(kRemoteNetwork) {
        settings.unitType = UnitType::Remote;
        writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
    }
    // Every reply of the terminal is lost once the remote has been given this address.
    void silentAfterAddress(std::uint16_t address) {
        const std::vector<std::uint8_t> setAddress{remote::RequestSetAddress,
                                                   static_cast<std::uint8_t>(address >> 8),
                                                   static_cast<std::uint8_t>(address & 0xFF)};
        console.onWait = [this, setAddress] {
            sim::Unit& terminal = *network.unit("r1");
            if (!terminal.remote.requests.empty() && terminal.remote.requests.back() == setAddress)
                terminal.faults.replies.dropShare = 1.0;
        };
    }
    bool upgrade() {
        UpgradeRun r = run();
        return GoUpgradeRemote(r, "0513", 31).succeeded();
    }
};

TEST_F(RemoteLosingReplies, ABlockOfTheApplicationAreaThatGoesUnansweredIsNamed) {
    silentAfterAddress(0xE340);
    EXPECT_FALSE(upgrade());
    EXPECT_EQ(console.statusLines.back(), "No response!");
}

// The vector block is erased before it is written: a remote left without it cannot start.
TEST_F(RemoteLosingReplies, AVectorBlockThatGoesUnansweredFailsTheUpgrade) {
    silentAfterAddress(remote::VectorFirst);
    EXPECT_FALSE(upgrade());
    EXPECT_EQ(std::ranges::count(console.statusLines, std::string("No response!")), 1);
    // It stays in its boot loader, where the next run finds it and writes the vectors again.
    const std::vector<std::vector<std::uint8_t>>& requests = unit("r1").remote.requests;
    EXPECT_FALSE(std::ranges::count(requests, std::vector<std::uint8_t>{remote::RequestLeave}));
}

constexpr char kSurveyNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "0001A2B3", "productId": 5, "terminals": [
    { "name": "t1", "la": "12", "fixedAddress": "00C0FFEE", "productId": 3 } ] } ] })";

class SurveyLosingReplies : public UpgradeInVirtualTime {
protected:
    SurveyLosingReplies() : UpgradeInVirtualTime(kSurveyNetwork) {}
};

TEST_F(SurveyLosingReplies, ATerminalListThatDoesNotComeIsNamedUnderItsHeading) {
    // The controller's information is its last answer: its terminal list is lost.
    console.onWait = [this] {
        sim::Unit& controller = *network.unit("c1");
        if (!controller.commands.empty() && controller.commands.back() == cmd::UnitInfo)
            controller.faults.replies.dropShare = 1.0;
    };
    bus.port.ClosePort();
    auto table = std::make_unique<SurveyTable>();
    OperationContext context = bus.context();
    surveyBus(context, *table);
    const std::vector<std::string>& lines = console.reportLines;
    const auto heading = std::ranges::find(lines, "[ Terminals on Controller 01 ]");
    ASSERT_EQ(std::distance(heading, lines.end()), 4); // heading, header line, why, the end
    EXPECT_EQ(*(heading + 2), "No response!");
    EXPECT_EQ(*(heading + 3), "Finished.");
}

} // namespace
