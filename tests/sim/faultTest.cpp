// Reply faults: each fires at the share asked for, does what it says, and repeats with the
// network's seed.

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "simTestSupport.h"

using namespace simtest;

namespace {

constexpr int kRequests = 1000;

sim::Network withFaults(const std::string& unitFaults, const std::string& lineFaults = "{}",
                        int seed = 11) {
    return networkFrom(R"({"seed": )" + std::to_string(seed) + R"(, "faults": )" + lineFaults +
                       R"(, "controllers": [{"name": "c", "la": "01", "faults": )" + unitFaults +
                       "}]}");
}

// How many of kRequests status polls come back as one good frame for this very request.
int goodReplies(sim::NetworkSimulator& network) {
    int good = 0;
    for (int i = 0; i < kRequests; ++i) {
        auto sequence = static_cast<std::uint16_t>(i);
        std::vector<std::string> frames = replyFrames(network, "0100", "01", 0, sequence);
        if (frames.size() != 1) continue;
        const std::string& f = frames[0];
        bool crcGood = f.size() >= 4 && AppendCRC(f.substr(0, f.size() - 4)) == f;
        if (crcGood && HexToWord(f.substr(11, 4)) == sequence && f.size() == 21) ++good;
    }
    return good;
}

TEST(ReplyFaults, SharesLandWithinASaneBand) {
    // Binomial(1000, 0.3): the standard deviation is about 14.5, so ±60 is four of them.
    for (const char* fault : {"drop", "badCrc", "lowerCaseCrc", "staleSequence", "noise"}) {
        sim::NetworkSimulator network(withFaults(std::string("{\"") + fault + "\": 0.3}"));
        int good = goodReplies(network);
        EXPECT_NEAR(good, 700, 60) << fault;
    }
    sim::NetworkSimulator line(withFaults("{}", R"({"drop": 0.3})"));
    EXPECT_NEAR(goodReplies(line), 700, 60);
    sim::NetworkSimulator both(withFaults(R"({"drop": 0.5})", R"({"drop": 0.5})"));
    EXPECT_NEAR(goodReplies(both), 250, 60);
    sim::NetworkSimulator clean(withFaults("{}"));
    EXPECT_EQ(goodReplies(clean), kRequests);
}

TEST(ReplyFaults, TheReplyToOneNumberedFrameIsLostYetTheUnitActsOnIt) {
    sim::NetworkSimulator network(oneController(""));
    network.network().lostReplyFrame = 2;
    EXPECT_EQ(ask(network, "0100", cmd::StatusPoll).size(), reply::StatusLength);
    EXPECT_EQ(ask(network, "0100", cmd::EnterUpgrade), "");
    EXPECT_TRUE(network.unit("c")->upgradeMode);
    EXPECT_EQ(reply::statusByte(ask(network, "0100", cmd::StatusPoll)), reply::InUpgradeMode);
}

TEST(ReplyFaults, EachFaultDamagesTheReplyAsNamed) {
    sim::NetworkSimulator lower(withFaults(R"({"lowerCaseCrc": 1})"));
    std::string f = ask(lower, "0100", "01");
    std::string right = AppendCRC(f.substr(0, 17));
    for (std::size_t i = 17; i < 21; ++i)
        EXPECT_EQ(f[i], std::tolower(static_cast<unsigned char>(right[i])));

    sim::NetworkSimulator stale(withFaults(R"({"staleSequence": 1})"));
    std::vector<std::string> frames = replyFrames(stale, "0100", "01", 0, 0x0000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].substr(11, 4), "FFFF"); // the previous number, wrapped
    EXPECT_EQ(AppendCRC(frames[0].substr(0, 17)), frames[0]);
    EXPECT_EQ(frames[1].substr(11, 4), "0000");

    sim::NetworkSimulator noisy(withFaults(R"({"noise": 1})"));
    sim::OutgoingReply r = noisy.receiveFrame(request("0100", "01"), 0).at(0);
    std::size_t start = r.bytes.find('%');
    ASSERT_NE(start, std::string::npos);
    EXPECT_GT(start, 0u);
    EXPECT_EQ(r.bytes.substr(0, start).find('\r'), std::string::npos);

    sim::NetworkSimulator late(networkFrom(R"({"latencyMs": 5, "faults": {"delayMs": 7},
        "controllers": [{"la": "01", "faults": {"delayMs": 30}}]})"));
    EXPECT_EQ(late.receiveFrame(request("0100", "01"), 0).at(0).delayMs, 42u);
}

TEST(ReplyFaults, TheSeedMakesRunsRepeatable) {
    auto pattern = [](int seed) {
        sim::NetworkSimulator network(withFaults(R"({"drop": 0.5})", "{}", seed));
        std::string answered;
        for (int i = 0; i < 64; ++i)
            answered += ask(network, "0100", "01").empty() ? '-' : '#';
        return answered;
    };
    EXPECT_EQ(pattern(5), pattern(5));
    EXPECT_NE(pattern(5), pattern(6));
}

} // namespace

// Set Logical Address reads the change back with "01" to the new address: a unit can take the
// LA and report the change failed, or ignore the request altogether.
TEST(UnitFaults, AFailedLaChangeShowsInTheStatusOfTheNewAddress) {
    sim::NetworkSimulator network(networkFrom(R"({"controllers": [
        {"name": "c", "la": "01", "fixedAddress": "10000001", "terminals": [
          {"name": "failing", "la": "02", "fixedAddress": "20000002",
           "faults": {"laChangeFailure": "40"}},
          {"name": "deaf", "la": "03", "fixedAddress": "20000003", "faults": {"refuseNewLa": true}},
          {"name": "fine", "la": "04", "fixedAddress": "20000004"}]}]})"));
    auto verify = [&](const char* address) {
        std::string status = ask(network, address, cmd::StatusPoll);
        return status.size() == reply::StatusLength &&
               (reply::statusByte(status) & reply::LaChangeFailed) == 0;
    };

    ask(network, "01FF", cmd::newLa(0x20000004, 0x14));
    EXPECT_TRUE(verify("0114"));

    ask(network, "01FF", cmd::newLa(0x20000002, 0x12));
    EXPECT_EQ(network.unit("failing")->la, 0x12);
    EXPECT_FALSE(verify("0112"));
    EXPECT_FALSE(reply::readUnitInfo(ask(network, "0112", cmd::UnitInfo)).inUpgradeMode());
    ask(network, "0112", cmd::Reset);
    EXPECT_TRUE(verify("0112"));

    ask(network, "01FF", cmd::newLa(0x20000003, 0x13));
    EXPECT_EQ(network.unit("deaf")->la, 0x03);
    EXPECT_EQ(ask(network, "0113", cmd::StatusPoll), "");

    for (const char* bits : {"20", "00", "80"}) {
        sim::NetworkLoad load = sim::parseNetwork(
            std::string(R"({"controllers": [{"faults": {"laChangeFailure": ")") + bits + "\"}}]}");
        EXPECT_FALSE(load.network) << bits;
        EXPECT_NE(load.error.find("laChangeFailure"), std::string::npos) << load.error;
    }
}
