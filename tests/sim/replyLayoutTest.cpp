// Every reply layout the tool reads: its exact length and each field at its position.

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "simTestSupport.h"

using namespace simtest;

namespace {

class ReplyLayouts : public ::testing::Test {
protected:
    sim::NetworkSimulator network{networkFrom(kSmallNetwork)};
};

TEST_F(ReplyLayouts, StatusAndUnitInformation) {
    std::string status = ask(network, "0500", cmd::StatusPoll);
    EXPECT_EQ(status.size(), reply::StatusLength);
    EXPECT_EQ(reply::field(status, 12, 4), "0042"); // the request's sequence number
    EXPECT_EQ(reply::statusByte(status), 0x00);
    EXPECT_EQ(ask(network, "0500", cmd::StatusPollLong).size(), reply::StatusLength);

    for (const char* command : {cmd::UnitInfo, cmd::UnitInfoLong, cmd::UnitInfoLonger}) {
        std::string info = ask(network, "0500", command);
        ASSERT_GT(info.size(), reply::UnitInfoFullThreshold) << command;
        reply::UnitInfo read = reply::readUnitInfo(info);
        EXPECT_EQ(read.version, 0x010A);
        EXPECT_EQ(read.secondVersion, 0x0203);
        EXPECT_EQ(read.word, 0xBEEF);
        EXPECT_EQ(read.fixedAddress, 0x0001A2B3u);
        EXPECT_EQ(read.productId, 5);
        EXPECT_EQ(read.text, "CONTROLLER");
        EXPECT_FALSE(read.inUpgradeMode());
    }
}

TEST_F(ReplyLayouts, InformationOfTerminalsRemotesHostAndBusTerminals) {
    EXPECT_EQ(reply::readUnitInfo(ask(network, "0512", cmd::UnitInfo)).fixedAddress, 0x00C0FFEEu);
    reply::UnitInfo remote = reply::readUnitInfo(ask(network, "0513", cmd::UnitInfo));
    EXPECT_EQ(remote.productId, 31);
    EXPECT_EQ(remote.secondVersion, 0x0203); // the remote's own version
    EXPECT_EQ(reply::readUnitInfo(ask(network, "7F00", cmd::UnitInfo)).productId, 18);
    EXPECT_EQ(reply::readUnitInfo(ask(network, "0007", cmd::UnitInfo)).version, 0x0304);
    EXPECT_EQ(ask(network, "7E00", cmd::UnitInfo), "");
    EXPECT_EQ(ask(network, "0514", cmd::UnitInfo), ""); // no such terminal
}

TEST_F(ReplyLayouts, UnitListsOfAController) {
    for (const char* command : {cmd::UnitList, cmd::TerminalList}) {
        std::string list = ask(network, "0500", command);
        ASSERT_EQ(list.size(), reply::StatusLength + 2 + 2 * reply::unitList::EntryWidth);
        std::vector<reply::ListEntry> entries = reply::readList(list);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].la, 0x12);
        EXPECT_EQ(entries[0].fixedAddress, 0x00C0FFEEu);
        EXPECT_EQ(entries[0].productId, 3);
        EXPECT_EQ(entries[1].la, 0x13);
        EXPECT_EQ(entries[1].productId, 31);
    }
    EXPECT_EQ(ask(network, "0512", cmd::TerminalList), ""); // terminals keep no list
}

TEST_F(ReplyLayouts, BootLoaderReplies) {
    std::string entered = ask(network, "0500", cmd::EnterUpgrade);
    ASSERT_EQ(entered.size(), reply::UpgradeModeLength);
    EXPECT_EQ(reply::field(entered, reply::upgradeMode::AppVersion), "010A");
    EXPECT_EQ(reply::field(entered, reply::upgradeMode::BootVersion), "0100");
    EXPECT_EQ(reply::statusByte(ask(network, "0500", cmd::StatusPoll)), reply::InUpgradeMode);

    std::string erased = ask(network, "0500", cmd::EraseAll);
    ASSERT_EQ(erased.size(), reply::EraseWriteLength);
    EXPECT_FALSE(reply::readEraseWrite(erased)->failed());
    std::string written = ask(network, "0500", std::string(cmd::WritePageCode) + "000040000001AB");
    ASSERT_EQ(written.size(), reply::EraseWriteLength);
    EXPECT_EQ(reply::readEraseWrite(written)->status, reply::InUpgradeMode);
    std::string flash = ask(network, "0500", cmd::FlashStatus);
    ASSERT_EQ(flash.size(), reply::FlashStatusLength);
    EXPECT_EQ(reply::readFlashStatus(flash)->errorCode, 0);

    // Information in upgrade mode: status bit set, versions not valid.
    reply::UnitInfo info = reply::readUnitInfo(ask(network, "0500", cmd::UnitInfo));
    EXPECT_TRUE(info.inUpgradeMode());
    EXPECT_EQ(info.version, 0);
}

TEST_F(ReplyLayouts, FastPollCountersAndOnlineMaps) {
    sim::NetworkSimulator custom(networkFrom(R"({"controllers": [
        {"la": "01", "model": "AB", "fastPoll": {"timeouts": [1, 2, 255]},
         "terminals": [{"la": "01", "fixedAddress": "1"}, {"la": "28", "fixedAddress": "2"}]},
        {"la": "02", "model": "CD", "fastPoll": {"secondMap": "80000000"}},
        {"la": "03", "fastPoll": {"supported": false}}]})"));
    EXPECT_EQ(reply::statusByte(ask(custom, "0100", cmd::FastPollStart)), 0);
    EXPECT_EQ(reply::statusByte(ask(custom, "0300", cmd::FastPollStart)),
              reply::FastPollUnsupported);

    std::string counters40 = ask(custom, "0100", cmd::FastPollCounters);
    EXPECT_EQ(counters40.size(), reply::FastPollCountersMin);
    std::vector<std::uint8_t> counts =
        reply::fastPollCounters(*reply::fastPollCounterText(counters40));
    ASSERT_EQ(counts.size(), 40u);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[2], 255);
    EXPECT_EQ(counts[39], 0);
    EXPECT_EQ(ask(custom, "0200", cmd::FastPollCounters).size(), reply::FastPollCountersMax);

    std::string online = ask(custom, "0100", cmd::OnlineMapFirst);
    EXPECT_EQ(online.size(), reply::OnlineMapMin);
    const std::string map = *reply::onlineMapText(online);
    EXPECT_TRUE(reply::isOnline(map, 1));
    EXPECT_TRUE(reply::isOnline(map, 0x28));
    EXPECT_FALSE(reply::isOnline(map, 2));
    std::string second = ask(custom, "0200", cmd::OnlineMapSecond);
    EXPECT_EQ(second.size(), reply::OnlineMapMax);
    EXPECT_TRUE(reply::isOnline(*reply::onlineMapText(second), 32));
}

// A terminal that has lost its power is missed at every fast poll: its counter grows with each
// reading and it stands in the second map, until it is back.
TEST_F(ReplyLayouts, FastPollCountersGrowForAUnitThatStoppedAnswering) {
    sim::NetworkSimulator custom(networkFrom(R"({"controllers": [
        {"la": "01", "model": "AB", "fastPoll": {"timeouts": [0, 7]}, "terminals": [
          {"name": "dies", "la": "02", "fixedAddress": "2",
           "faults": {"powerLoss": {"afterRequests": 0, "offMs": 1000}}},
          {"name": "stays", "la": "03", "fixedAddress": "3"}]}]})"));
    auto counters = [&](std::uint64_t nowMs) {
        std::string r = ask(custom, "0100", cmd::FastPollCounters, nowMs);
        return reply::fastPollCounters(reply::fastPollCounterText(r).value_or(""));
    };
    auto silentInSecondMap = [&](std::uint64_t nowMs) {
        std::string r = ask(custom, "0100", cmd::OnlineMapSecond, nowMs);
        return reply::isOnline(reply::onlineMapText(r).value_or(""), 2);
    };
    ASSERT_EQ(counters(0).size(), 40u);
    EXPECT_EQ(counters(0)[1], 7);                            // nothing happened to it yet
    EXPECT_EQ(ask(custom, "0102", cmd::StatusPoll, 10), ""); // power goes now
    EXPECT_EQ(counters(20)[1], 8);
    std::vector<std::uint8_t> later = counters(520);
    EXPECT_EQ(later[1], 9);
    EXPECT_EQ(later[2], 0); // the terminal that answers is never missed
    EXPECT_TRUE(silentInSecondMap(520));
    EXPECT_EQ(counters(1100)[1], 9); // back, and counted no further
    EXPECT_EQ(counters(1600)[1], 9);
    EXPECT_FALSE(silentInSecondMap(1600));
}

TEST_F(ReplyLayouts, MaintenanceCommands) {
    EXPECT_EQ(reply::statusByte(ask(network, "0500", cmd::Port2Rs232)) & reply::PortConfigFailed,
              0);
    EXPECT_EQ(network.unit("c1")->port2Mode, 0);
    ask(network, "0500", cmd::Port2Rs485);
    EXPECT_EQ(network.unit("c1")->port2Mode, 1);

    std::string message = R"("Line \"one\"     ","back\\slash      ","                ")";
    EXPECT_EQ(ask(network, "0500", cmd::defaultMessage(message)).size(), reply::StatusLength);
    EXPECT_EQ(ask(network, "05FF", cmd::defaultMessage(message)), ""); // broadcast: silent
    std::vector<std::string> lines{"Line \"one\"     ", "back\\slash      ", std::string(16, ' ')};
    EXPECT_EQ(network.unit("c1")->message, lines);
    EXPECT_EQ(network.unit("t1")->message, lines);
    EXPECT_EQ(network.unit("t1")->rawMessage, message);

    // New LA by fixed address, sent to every terminal of the controller.
    ask(network, "05FF", cmd::newLa(0x00C0FFEE, 0x21));
    EXPECT_EQ(network.unit("t1")->la, 0x21);
    EXPECT_EQ(ask(network, "0521", cmd::StatusPoll).size(), reply::StatusLength);
    EXPECT_EQ(network.unit("r1")->la, 0x13); // the other terminal keeps its LA

    for (const char* silent :
         {cmd::ControllerUpgradeEnd, cmd::UpgradeRunStart, cmd::ControllerUpgradeStart})
        EXPECT_EQ(ask(network, "0500", silent), "");
    const std::vector<std::string>& received = network.unit("c1")->commands;
    EXPECT_EQ(received.back(), cmd::ControllerUpgradeStart);
}

TEST_F(ReplyLayouts, BroadcastsAreRecordedAndNeverAnswered) {
    EXPECT_TRUE(replyFrames(network, "FF00", cmd::StatusPoll).empty());
    EXPECT_TRUE(replyFrames(network, "FFFF", cmd::UnitInfo).empty());
    EXPECT_TRUE(replyFrames(network, "00FF", cmd::Reset).empty());
    EXPECT_TRUE(replyFrames(network, "05FF", cmd::EnterUpgrade).empty());
    EXPECT_TRUE(network.unit("t1")->upgradeMode); // it acted all the same
    ASSERT_EQ(network.network().broadcasts.size(), 4u);
    EXPECT_EQ(network.network().broadcasts[1].address, "FFFF");
    EXPECT_EQ(network.unit("b1")->commands.back(), cmd::Reset);
}

TEST_F(ReplyLayouts, GarbageNeverGetsAnAnswer) {
    EXPECT_TRUE(network.receiveFrame("", 0).empty());
    EXPECT_TRUE(network.receiveFrame("@0100000500000101", 0).empty()); // CRC missing
    std::string good = request("0500", "01");
    std::string badCrc = good.substr(0, good.size() - 1) + (good.back() == '0' ? "1" : "0");
    EXPECT_TRUE(network.receiveFrame(badCrc, 0).empty());
    EXPECT_EQ(network.network().badFrames, 3u);
    // Truncated and malformed arguments of every command are read safely.
    for (const char* command : {"E3", "E300", "E30000400080AB", "E2", "E2ZZ", "03", "04", "0412",
                                "3EF00", "3EF0005Z", "38", "2D", "2D7", "E30000400000"}) {
        ask(network, "0500", cmd::EnterUpgrade);
        ask(network, "0500", command);
        ask(network, "0513", command);
    }
    std::string page = ask(network, "0500", "E300004000020A");
    EXPECT_EQ(reply::readEraseWrite(page)->errorCode, sim::flashError::MalformedPage);
}

} // namespace
