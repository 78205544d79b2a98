// Extra attempts against the simulated network, replies lost at chosen requests: a request that
// is safe to repeat is sent again (one more pair of lines in the comms log, nothing in the
// status log) and the unit ends as if nothing had been lost; a request that would act twice
// goes out once, however many extra attempts there are.

#include "image/remoteImage.h"
#include "tests/globalUpgrade/upgradeFixture.h"
#include "tests/support/folderTrust.h"
#include "tools/maintenance.h"
#include "upgrade/remote.h"
#include "upgrade/single.h"

#include <fstream>
#include <functional>

using namespace upgradetest;

namespace {

constexpr char kAttemptsNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "05", "fixedAddress": "10000005", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "fixedAddress": "20000501", "productId": 3, "version": "1.02" },
    { "name": "r1", "la": "13", "productId": 31, "version": "1.05",
      "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

class ExtraAttempts : public UpgradeInVirtualTime {
protected:
    ExtraAttempts() : UpgradeInVirtualTime(kAttemptsNetwork) {
        writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 4096, 5);
        writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
        std::ofstream("qrmcomlog.txt"); // frame logging on
        link.detectLogging();
    }

    // The replies of unit to the requests counted by `count` are lost from the one that makes
    // the count reach `at` up to `lost` of them; every other reply comes. The unit still acts
    // on every request: only its answer goes missing.
    void loseReplies(const std::string& unit, std::function<std::size_t()> count, std::size_t at,
                     std::size_t lost) {
        console.onWait = [this, unit, count, at, lost] {
            const std::size_t seen = count();
            network.unit(unit)->faults.replies.dropShare =
                seen + 1 >= at && seen < at + lost - 1 ? 1.0 : 0.0;
        };
    }
    std::size_t commandsOf(const std::string& unit, const std::string& prefix) {
        return std::ranges::count_if(network.unit(unit)->commands,
                                     [&](const std::string& c) { return c.starts_with(prefix); });
    }
    static std::vector<std::string> commsLog() {
        std::ifstream file("qrmcomlog.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }
    bool upgradeSingle() {
        settings.controllerLA = "05";
        settings.terminalLA = "01";
        UpgradeRun r = run();
        return GoUpgradeSingle(r, "0501").succeeded();
    }
    bool upgradeRemote() {
        settings.unitType = UnitType::Remote;
        UpgradeRun r = run();
        return GoUpgradeRemote(r, "0513", 31).succeeded();
    }
};

// Both tries a page has of its own are lost: with no extra attempt the upgrade fails there,
// with one the page goes a third time and the flash holds the image.
TEST_F(ExtraAttempts, APageWhoseRepliesAreLostIsWrittenAgainAndTheFlashHoldsTheImage) {
    link.setExtraAttempts(1);
    loseReplies(
        "t1", [this] { return commandsOf("t1", cmd::WritePageCode); }, 5, 2);
    ASSERT_TRUE(upgradeSingle());
    EXPECT_TRUE(flashHolds(unit("t1"), image));
    EXPECT_EQ(unit("t1").version, image.fileVersion);
    const std::vector<std::string>& pages = unit("t1").commands;
    const auto fifth = std::ranges::find_if(pages, [n = 0](const std::string& c) mutable {
        return c.starts_with(cmd::WritePageCode) && ++n == 5;
    });
    ASSERT_NE(fifth, pages.end());
    EXPECT_EQ(std::count(fifth, pages.end(), *fifth), 3);
    // Every sending is a request line and a reply line: the two lost replies are empty lines.
    const std::vector<std::string> log = commsLog();
    std::vector<std::string> repliesToIt;
    for (std::size_t i = 0; i + 1 < log.size(); ++i)
        if (log[i].find(*fifth) != std::string::npos) repliesToIt.push_back(log[i + 1]);
    ASSERT_EQ(repliesToIt.size(), 3u);
    EXPECT_EQ(repliesToIt[0], "\r");
    EXPECT_EQ(repliesToIt[1], "\r");
    EXPECT_TRUE(repliesToIt[2].starts_with("%"));
    EXPECT_EQ(std::ranges::count(console.statusLines, std::string("No response!")), 0);
}

TEST_F(ExtraAttempts, WithoutExtraAttemptsThePageFailsAfterItsOwnTwoTries) {
    loseReplies(
        "t1", [this] { return commandsOf("t1", cmd::WritePageCode); }, 5, 2);
    EXPECT_FALSE(upgradeSingle());
    EXPECT_EQ(console.statusLines.back(), "No response!");
}

// The second write of the block at E340 is answered by nobody: the remote has moved its address
// on, so the block goes again from its set-address, erased and written whole.
TEST_F(ExtraAttempts, ARemoteBlockWhoseWriteGoesUnansweredIsSentAgainFromItsSetAddress) {
    link.setExtraAttempts(1);
    const auto writes = [this] {
        return std::ranges::count_if(unit("r1").remote.requests, [](const auto& r) {
            return r.size() > 1 && r[0] == remote::RequestWrite;
        });
    };
    loseReplies(
        "r1", [&] { return static_cast<std::size_t>(writes()); }, 4, 1);
    ASSERT_TRUE(upgradeRemote());
    const std::vector<std::uint8_t> setE340{remote::RequestSetAddress, 0xE3, 0x40};
    const auto& requests = unit("r1").remote.requests;
    const auto first = std::ranges::find(requests, setE340);
    ASSERT_NE(first, requests.end());
    ASSERT_LT(first + 8, requests.end());
    EXPECT_EQ(*(first + 4), setE340);
    EXPECT_EQ((*(first + 5))[0], remote::RequestEraseBlock);
    EXPECT_EQ(*(first + 6), *(first + 2)); // the first half again, at the set address
    EXPECT_EQ(*(first + 7), *(first + 3));
    EXPECT_EQ((*(first + 8))[1], 0xE3); // then the next block
    EXPECT_EQ((*(first + 8))[2], 0x80);
    FirmwareImage sent;
    ReadS19Data(sent, 31, folderTrust());
    for (int a = remote::ApplicationFirst; a <= remote::ApplicationLast; ++a)
        ASSERT_EQ(unit("r1").remote.flash[static_cast<std::size_t>(a)], sent.byteAt(a)) << a;
    EXPECT_EQ(std::ranges::count(console.statusLines, std::string("No response!")), 0);
}

// A unit that answers nothing: the check of what was done is repeated, the request that acts
// is not, however many extra attempts there are.
TEST_F(ExtraAttempts, ANewLaAndAClearMemoryGoOutOnceWhateverTheExtraAttempts) {
    link.setExtraAttempts(Transaction::kMaxExtraAttempts);
    network.unit("c1")->faults.replies.dropShare = 1.0;
    bus.port.ClosePort();
    OperationContext context = bus.context();
    EXPECT_EQ(setLogicalAddress(context, {true, "10000005", "06"}),
              Outcome::failed(maintenanceText::Failed));
    EXPECT_EQ(commandsOf("c1", cmd::NewLaCode), 1u);
    // The check at the new LA: its own 10 retries and the 5 extra ones.
    EXPECT_EQ(commandsOf("c1", cmd::StatusPoll), 16u);
    console.confirmAnswer = true;
    clearControllerMemory(context, {"06", false});
    EXPECT_EQ(commandsOf("c1", cmd::ClearMemory), 1u);
}

} // namespace
