// The identification cycle of the survey: "06", then "02" answered by every unit of the rank
// until "03" with its fixed address acknowledges it.

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "simTestSupport.h"

#include <set>

using namespace simtest;

namespace {

const char* kRanks = R"({
  "controllers": [
    {"name": "a", "la": "01", "fixedAddress": "10000001", "productId": 5,
     "terminals": [{"la": "01", "fixedAddress": "20000001"}]},
    {"name": "b", "la": "03", "fixedAddress": "10000002", "productId": 27},
    {"name": "c", "la": "03", "fixedAddress": "10000003", "productId": 28},
    {"name": "d", "la": "FF", "fixedAddress": "10000004", "productId": 50}
  ],
  "busTerminals": [{"name": "x", "la": "05", "fixedAddress": "30000005", "productId": 3}]
})";

std::set<std::uint32_t> identified(sim::NetworkSimulator& network, const char* rank) {
    std::set<std::uint32_t> found;
    for (const std::string& frame : replyFrames(network, rank, cmd::identify())) {
        std::optional<reply::Identification> id = reply::readIdentification(frame);
        EXPECT_TRUE(id) << "not an identification reply: " << frame;
        if (id) found.insert(id->fixedAddress);
    }
    return found;
}

TEST(IdentificationCycle, EveryControllerAnswersUntilAcknowledged) {
    sim::NetworkSimulator network(networkFrom(kRanks));
    replyFrames(network, "FF00", cmd::IdentifyBoundary);
    std::vector<std::string> frames = replyFrames(network, "FF00", cmd::identify());
    ASSERT_EQ(frames.size(), 4u); // duplicates and LA FF included; terminals not
    reply::Identification d = *reply::readIdentification(frames[3]);
    EXPECT_EQ(d.la, 0xFF);
    EXPECT_EQ(d.productId, 50);

    // A controller acknowledges with a status reply; only the one named acts.
    std::string ack = ask(network, "FF00", cmd::acknowledge(0x10000002));
    EXPECT_EQ(ack.size(), reply::StatusLength);
    EXPECT_EQ(identified(network, "FF00"),
              (std::set<std::uint32_t>{0x10000001, 0x10000003, 0x10000004}));
    EXPECT_EQ(ask(network, "FF00", cmd::acknowledge(0x12345678)), "");

    for (std::uint32_t fixed : {0x10000001u, 0x10000003u, 0x10000004u})
        ask(network, "FF00", cmd::acknowledge(fixed));
    EXPECT_TRUE(identified(network, "FF00").empty());

    replyFrames(network, "FF00", cmd::IdentifyBoundary); // "06" starts a new cycle
    EXPECT_EQ(identified(network, "FF00").size(), 4u);
}

TEST(IdentificationCycle, TerminalsOnTheBusAreSilentOnAcknowledge) {
    sim::NetworkSimulator network(networkFrom(kRanks));
    EXPECT_EQ(identified(network, "00FF"), (std::set<std::uint32_t>{0x30000005}));
    EXPECT_EQ(ask(network, "00FF", cmd::acknowledge(0x30000005)), "");
    EXPECT_TRUE(identified(network, "00FF").empty());
    // An identification request to one unit, or to terminals of a controller, is not a cycle.
    EXPECT_TRUE(replyFrames(network, "0100", cmd::identify()).empty());
    EXPECT_TRUE(replyFrames(network, "01FF", cmd::identify()).empty());
}

TEST(IdentificationCycle, RepliesToOneBroadcastFollowEachOtherOnTheLine) {
    sim::NetworkSimulator network(networkFrom(kRanks));
    std::vector<sim::OutgoingReply> replies =
        network.receiveFrame(request("FF00", cmd::identify()), 0);
    ASSERT_EQ(replies.size(), 4u);
    for (const sim::OutgoingReply& r : replies) {
        EXPECT_EQ(r.bytes.front(), '%'); // each reply is one whole frame
        EXPECT_EQ(r.bytes.find('\r'), r.bytes.size() - 1);
    }
}

} // namespace
