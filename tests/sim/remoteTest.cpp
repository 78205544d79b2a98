// A remote behind a terminal, driven byte for byte through the pass-through command.

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "sim/remoteBootLoader.h"
#include "simTestSupport.h"

using namespace simtest;

namespace {

class RemoteBehindTerminal : public ::testing::Test {
protected:
    std::vector<std::uint8_t> send(std::vector<std::uint8_t> request,
                                   std::uint8_t wait = remote::WaitOrdinary) {
        std::string r = ask(network, "0513", cmd::passThrough(wait, request));
        if (wait == remote::WaitNone) {
            EXPECT_EQ(r, "");
        }
        return reply::passThroughBytes(r);
    }
    std::vector<std::uint8_t> entryCode() {
        return {std::begin(remote::EntryCode), std::end(remote::EntryCode)};
    }
    const sim::RemoteUnit& remoteUnit() { return network.unit("r1")->remote; }

    sim::NetworkSimulator network{networkFrom(kSmallNetwork)};
    const std::vector<std::uint8_t> accepted{remote::ReplyAccepted};
};

TEST_F(RemoteBehindTerminal, AWholeUpgradeWritesBothAreasAndTheNewVersion) {
    std::vector<std::uint8_t> version = send({remote::RequestVersion});
    ASSERT_EQ(version.size(), remote::VersionReplyBytes);
    EXPECT_EQ(version[remote::VersionMajorIndex], 0x02);
    EXPECT_EQ(version[remote::VersionMinorIndex], 0x03);

    send({remote::RequestPrepare}, remote::WaitNone);
    EXPECT_EQ(send(entryCode()), accepted);
    std::vector<std::uint8_t> image(0x10000, 0xFF);
    for (std::uint32_t a = 0xE300; a <= 0xFFFF; ++a)
        image[a] = static_cast<std::uint8_t>(a * 7);
    image[0xFDFE] = 0x03;
    image[0xFDFF] = 0x01;
    auto writeBlock = [&](std::uint32_t start, std::vector<std::uint32_t> pieces) {
        EXPECT_EQ(send({remote::RequestSetAddress, std::uint8_t(start >> 8), std::uint8_t(start)}),
                  accepted);
        EXPECT_EQ(send({remote::RequestEraseBlock}), accepted);
        for (std::uint32_t n : pieces) {
            std::vector<std::uint8_t> write{remote::RequestWrite, std::uint8_t(n)};
            write.insert(write.end(), image.begin() + start, image.begin() + start + n);
            EXPECT_EQ(send(write), accepted) << std::hex << start;
            start += n;
        }
    };
    for (std::uint32_t block = 0xE300; block <= 0xFDC0; block += 64)
        writeBlock(block, {32, 32});
    writeBlock(0xFFDC, {4, 32});
    send({remote::RequestLeave}, remote::WaitNone);

    const std::vector<std::uint8_t>& flash = remoteUnit().flash;
    EXPECT_TRUE(std::equal(flash.begin() + 0xE300, flash.begin() + 0xFE00, image.begin() + 0xE300));
    EXPECT_TRUE(std::equal(flash.begin() + 0xFFDC, flash.end(), image.begin() + 0xFFDC));
    EXPECT_EQ(send({remote::RequestVersion}, remote::WaitFinalVersion)[3], 0x03);
    EXPECT_EQ(reply::readUnitInfo(ask(network, "0513", cmd::UnitInfo)).secondVersion, 0x0301);
    EXPECT_EQ(ask(network, "0513", cmd::RemoteClose).size(), reply::StatusLength);
}

TEST_F(RemoteBehindTerminal, EntryAndRequestsOutsideUpgradeMode) {
    EXPECT_EQ(send({remote::RequestSetAddress, 0xE3, 0x00}),
              std::vector<std::uint8_t>{sim::remoteReply::Rejected});
    EXPECT_EQ(send(entryCode()), accepted);
    std::vector<std::uint8_t> again = send(entryCode());
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0], remote::ReplyAlreadyInUpgrade);
    // Outside the two areas nothing is erased or written.
    EXPECT_EQ(send({remote::RequestSetAddress, 0x80, 0x00}), accepted);
    EXPECT_EQ(send({remote::RequestEraseBlock}),
              std::vector<std::uint8_t>{sim::remoteReply::Rejected});
    EXPECT_EQ(send({remote::RequestWrite, 2, 1}), // count says 2, one byte follows
              std::vector<std::uint8_t>{sim::remoteReply::Rejected});
    EXPECT_EQ(remoteUnit().requests.size(), 6u);
    // A terminal without a remote passes nothing through.
    EXPECT_EQ(ask(network, "0512", cmd::passThrough(5, std::vector<std::uint8_t>{2})), "");
}

TEST(RemoteRefusal, ARemoteThatRefusesEntryAnswersWithMoreThanOneByte) {
    sim::NetworkSimulator network(networkFrom(R"({"controllers": [{"la": "01", "terminals": [
        {"name": "r", "la": "02", "productId": 85, "remote": {"refuseEntry": true}}]}]})"));
    std::vector<std::uint8_t> code(std::begin(remote::EntryCode), std::end(remote::EntryCode));
    std::vector<std::uint8_t> bytes =
        reply::passThroughBytes(ask(network, "0102", cmd::passThrough(5, code)));
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], sim::remoteReply::Refused);
}

} // namespace
