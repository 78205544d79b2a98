// The units' worst field faults: each lies about its upgrade as a real unit would, and only as
// it says. A terminal is taken through an upgrade frame by frame: into upgrade mode, erased, one
// page that carries the new version word (2.21 at FBFC), reset.

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "simTestSupport.h"

using namespace simtest;

namespace {

constexpr std::uint16_t kNewVersion = 0x0215; // 2.21

sim::NetworkSimulator terminalWith(const std::string& faults, const std::string& extra = "") {
    return sim::NetworkSimulator(
        networkFrom(R"({"controllers": [{"name": "c", "la": "01", "fixedAddress": "10000001",
          "terminals": [{"name": "t", "la": "02", "fixedAddress": "20000102", "version": "1.02",
                         "faults": )" +
                    faults + "}" + extra + "]}]}"));
}

// Upgrades 0102 from nowMs on; returns the reset's reply.
std::string upgrade(sim::NetworkSimulator& network, std::uint64_t nowMs) {
    EXPECT_NE(ask(network, "0102", cmd::EnterUpgrade, nowMs), "");
    EXPECT_NE(ask(network, "0102", cmd::EraseAll, nowMs), "");
    EXPECT_NE(ask(network, "0102", std::string(cmd::WritePageCode) + "0000FBFC00020215", nowMs),
              "");
    return ask(network, "0102", cmd::Reset, nowMs);
}

// What the unit says of itself at nowMs: nothing, "boot loader" or its version.
std::string state(sim::NetworkSimulator& network, std::uint64_t nowMs) {
    const std::string info = ask(network, "0102", cmd::UnitInfo, nowMs);
    if (info.empty()) return "nothing";
    const reply::UnitInfo facts = reply::readUnitInfo(info);
    if (facts.inUpgradeMode()) return "boot loader";
    char text[8];
    std::snprintf(text, sizeof text, "%04X", facts.validVersion());
    return text;
}

} // namespace

TEST(FieldFaults, AHonestUnitRunsTheVersionItWasWritten) {
    sim::NetworkSimulator network = terminalWith("{}");
    EXPECT_NE(upgrade(network, 0), "");
    EXPECT_EQ(state(network, 1), "0215");
    EXPECT_EQ(state(network, 3600000), "0215");
}

TEST(FieldFaults, AWriteThatDoesNotTakeLeavesTheOldApplicationRunning) {
    sim::NetworkSimulator network = terminalWith(R"({"keepsOldFirmware": true})");
    // Every step is taken and confirmed, the flash holds the new image, and the old one runs.
    EXPECT_TRUE(reply::isStatusReply(upgrade(network, 0)));
    EXPECT_EQ(state(network, 1), "0102");
    const sim::Unit& unit = *network.unit("t");
    EXPECT_EQ(unit.flash.at(0xFBFC), 0x02);
    EXPECT_EQ(unit.flash.at(0xFBFD), 0x15);
    // And so at every upgrade.
    upgrade(network, 10);
    EXPECT_EQ(state(network, 11), "0102");
}

TEST(FieldFaults, AnImageWithAWrongVersionFieldReportsThatVersion) {
    sim::NetworkSimulator network = terminalWith(R"({"versionAfter": "1.07"})");
    upgrade(network, 0);
    EXPECT_EQ(state(network, 1), "0107");
}

TEST(FieldFaults, AnImageThatGivesUpConfirmsAndThenRestartsIntoTheBootLoaderOnce) {
    sim::NetworkSimulator network = terminalWith(R"({"bootsIntoBootLoader": {"afterMs": 6500}})");
    EXPECT_TRUE(reply::isStatusReply(upgrade(network, 0)));
    // Its application answers the confirmation, and a reset that follows, as any would.
    EXPECT_EQ(state(network, 5000), "0215");
    EXPECT_NE(ask(network, "0102", cmd::Reset, 5100), "");
    EXPECT_EQ(state(network, 6499), "0215");
    EXPECT_EQ(state(network, 6500), "boot loader");
    // The boot loader keeps it through a reset, until a new image is written; that one starts.
    ask(network, "0102", cmd::Reset, 7000);
    EXPECT_EQ(state(network, 7001), "boot loader");
    upgrade(network, 8000);
    EXPECT_EQ(state(network, 8000 + 3600000), "0215");
    // true takes the usual time.
    sim::NetworkSimulator plain = terminalWith(R"({"bootsIntoBootLoader": true})");
    upgrade(plain, 0);
    EXPECT_EQ(state(plain, 6499), "0215");
    EXPECT_EQ(state(plain, 6500), "boot loader");
}

TEST(FieldFaults, ASlowUnitAnswersNothingForItsBootTimeAfterEveryRestart) {
    sim::NetworkSimulator network = terminalWith(R"({"slowBootMs": 15000})");
    // The reset is answered before the unit restarts.
    EXPECT_TRUE(reply::isStatusReply(upgrade(network, 0)));
    EXPECT_EQ(state(network, 14999), "nothing");
    EXPECT_EQ(state(network, 15000), "0215");
    ask(network, "0102", cmd::Reset, 20000);
    EXPECT_EQ(state(network, 34999), "nothing");
    EXPECT_EQ(state(network, 35000), "0215");
}

// Two terminals at one LA both answer: garbled, a frame whose CRC does not hold (unless both
// say exactly the same); or the nearer one's reply whole and the farther one's after it.
TEST(FieldFaults, TwoUnitsAtOneAddressCollideAsTheNetworkFileSays) {
    const std::string twin =
        R"(, {"name": "twin", "la": "02", "fixedAddress": "20000106", "version": "1.03"})";
    auto frames = [&](const std::string& collisions, const std::string& command) {
        sim::Network net =
            networkFrom(R"({"collisions": ")" + collisions +
                        R"(", "controllers": [{"name": "c", "la": "01", "terminals": [
              {"name": "t", "la": "02", "fixedAddress": "20000102", "version": "1.02"})" +
                        twin + "]}]}");
        sim::NetworkSimulator network(std::move(net));
        return replyFrames(network, "0102", command);
    };
    const std::vector<std::string> garbled = frames("garbled", cmd::UnitInfo);
    ASSERT_EQ(garbled.size(), 1u);
    const std::string& frame = garbled.front();
    EXPECT_NE(AppendCRC(frame.substr(0, frame.size() - 4)), frame);
    // The same status from both: nothing on the line tells them apart.
    const std::vector<std::string> same = frames("garbled", cmd::StatusPoll);
    ASSERT_EQ(same.size(), 1u);
    EXPECT_EQ(AppendCRC(same[0].substr(0, same[0].size() - 4)), same[0]);

    const std::vector<std::string> nearer = frames("nearerFirst", cmd::UnitInfo);
    ASSERT_EQ(nearer.size(), 2u);
    EXPECT_EQ(reply::readUnitInfo(nearer[0]).validVersion(), 0x0102);
    EXPECT_EQ(reply::readUnitInfo(nearer[1]).validVersion(), 0x0103);
}

TEST(FieldFaults, TheNetworkFileRefusesFaultsItCannotRead) {
    for (const char* bad :
         {R"({"controllers": [{"faults": {"keepsOldFirmware": 3}}]})",
          R"({"controllers": [{"faults": {"versionAfter": "one"}}]})",
          R"({"controllers": [{"faults": {"bootsIntoBootLoader": {"after": 5}}}]})",
          R"({"controllers": [{"faults": {"slowBootMs": -1}}]})", R"({"collisions": "both"})"}) {
        const sim::NetworkLoad load = sim::parseNetwork(bad);
        EXPECT_FALSE(load.network) << bad;
        EXPECT_FALSE(load.error.empty()) << bad;
    }
}
