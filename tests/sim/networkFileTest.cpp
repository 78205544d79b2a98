// Network files: the samples load as described, and mistakes are named rather than guessed.

#include "sim/addressing.h"
#include "simTestSupport.h"

#include <random>

using namespace simtest;

namespace {

std::string samplePath(const char* name) {
    return std::string(NEXALO_SOURCE_DIR) + "/sim/networks/" + name;
}

TEST(NetworkFile, TheDemoNetworkHasEveryKindOfUnit) {
    sim::NetworkLoad load = sim::loadNetworkFile(samplePath("demo.json"));
    ASSERT_TRUE(load.network) << load.error;
    const sim::Network& network = *load.network;
    int controllers = 0, terminals = 0, hosts = 0, remotes = 0;
    for (const sim::Unit& u : network.units) {
        controllers += u.kind == sim::UnitKind::Controller;
        terminals += u.kind == sim::UnitKind::Terminal;
        hosts += u.kind == sim::UnitKind::Host;
        remotes += u.hasRemote;
    }
    EXPECT_EQ(controllers, 2);
    EXPECT_GE(terminals, 2);
    EXPECT_EQ(hosts, 1);
    EXPECT_EQ(remotes, 1);
}

TEST(NetworkFile, TheLargeNetworkFillsBothRanks) {
    sim::NetworkLoad load = sim::loadNetworkFile(samplePath("large.json"));
    ASSERT_TRUE(load.network) << load.error;
    sim::Reach controllers = sim::resolveAddress(*load.network, "FF00");
    sim::Reach terminals = sim::resolveAddress(*load.network, "01FF");
    EXPECT_EQ(controllers.units.size(), 64u);
    EXPECT_EQ(terminals.units.size(), 64u);
    EXPECT_EQ(sim::resolveAddress(*load.network, "4000").units.size(), 1u);
    EXPECT_EQ(sim::resolveAddress(*load.network, "0140").units.size(), 1u);
}

TEST(NetworkFile, ValuesInTheirSeveralForms) {
    sim::Network network = networkFrom(R"({"controllers": [
        {"name": "a", "la": 10, "fixedAddress": 4096, "version": "10.05", "model": "CD"},
        {"name": "b", "la": "0A", "fixedAddress": "00001000", "version": "0A05"},
        {"la": "0A"}, {"la": "0A"}]})");
    ASSERT_EQ(network.units.size(), 4u);
    EXPECT_EQ(network.units[0].la, network.units[1].la);
    EXPECT_EQ(network.units[0].fixedAddress, network.units[1].fixedAddress);
    EXPECT_EQ(network.units[0].version, 0x0A05);
    EXPECT_EQ(network.units[1].version, 0x0A05);
    EXPECT_EQ(network.units[0].fastPollUnits, 64);
    EXPECT_EQ(network.units[1].fastPollUnits, 40);
    EXPECT_NE(network.units[2].name, network.units[3].name); // duplicates get their own names
}

TEST(NetworkFile, MistakesAreNamed) {
    struct Case {
        const char* json;
        const char* named;
    };
    for (Case c : {Case{"{", "JSON"}, Case{R"({"controlers": []})", "controlers"},
                   Case{R"({"controllers": [{"la": "1FF"}]})", "la"},
                   Case{R"({"controllers": [{"la": "0g"}]})", "la"},
                   Case{R"({"controllers": [{"version": "1.256"}]})", "version"},
                   Case{R"({"faults": {"drop": 1.5}})", "drop"},
                   Case{R"({"controllers": [{"faults": {"pageFault": {"code": 3}}}]})", "address"},
                   Case{R"({"host": {"position": "7D00"}})", "position"},
                   Case{R"({"controllers": [{"name": "x"}, {"name": "x"}]})", "x"},
                   Case{R"({"controllers": {"la": "01"}})", "list"}}) {
        sim::NetworkLoad load = sim::parseNetwork(c.json);
        EXPECT_FALSE(load.network) << c.json;
        EXPECT_NE(load.error.find(c.named), std::string::npos) << load.error;
    }
    EXPECT_FALSE(sim::loadNetworkFile("/nonexistent/network.json").network);
}

TEST(NetworkFile, RandomBytesOnTheLineNeverUpsetTheNetwork) {
    sim::NetworkLoad load = sim::loadNetworkFile(samplePath("demo.json"));
    ASSERT_TRUE(load.network);
    sim::NetworkSimulator network(std::move(*load.network));
    sim::FrameAssembler assembler;
    std::mt19937 random(99);
    const std::string alphabet = "@%\r0123456789ABCDEFabcdef3EF0E123";
    std::size_t frames = 0;
    for (int i = 0; i < 200000; ++i) {
        char byte =
            random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        if (std::optional<std::string> frame = assembler.push(byte)) {
            network.receiveFrame(*frame, static_cast<std::uint64_t>(i));
            ++frames;
        }
    }
    // Valid frames with random commands, too: they reach the units' handlers.
    for (int i = 0; i < 20000; ++i) {
        std::string command;
        for (int n = random() % 40; n > 0; --n)
            command += alphabet[3 + random() % 29];
        const char* addresses[] = {"0100", "0103", "FF00", "01FF", "7F00", "0200"};
        network.receiveFrame(request(addresses[random() % 6], command), 0);
    }
    EXPECT_GT(frames, 0u);
    EXPECT_EQ(network.network().badFrames, frames);
}

} // namespace
