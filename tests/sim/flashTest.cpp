// The boot loader and its flash: what the pages write, what erase and reset do, and the
// injected flash faults.

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "simTestSupport.h"

#include <random>

using namespace simtest;

namespace {

std::string pageText(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    char head[13];
    std::snprintf(head, sizeof head, "%08X%04X", address, static_cast<unsigned>(bytes.size()));
    std::string text = head;
    for (std::uint8_t b : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

std::uint8_t writePage(sim::NetworkSimulator& network, const std::string& address,
                       std::uint32_t pageAddress, const std::vector<std::uint8_t>& bytes) {
    std::string r = ask(network, address, cmd::writePage(pageText(pageAddress, bytes)));
    EXPECT_EQ(r.size(), reply::EraseWriteLength);
    return reply::readEraseWrite(r).value_or(reply::FlashResult{}).errorCode;
}

sim::Network oneController(const std::string& extra = "") {
    return networkFrom(R"({"controllers": [{"name": "c", "la": "01", "productId": 5,
        "version": "1.00")" +
                       extra + "}]}");
}

TEST(Flash, PagesWrittenAfterAnEraseHoldExactlyTheBytesSent) {
    sim::NetworkSimulator network(oneController());
    ask(network, "0100", cmd::EnterUpgrade);
    ask(network, "0100", cmd::EraseAll);
    std::mt19937 random(3);
    std::vector<std::uint8_t> image(0x1000);
    for (std::uint8_t& b : image)
        b = static_cast<std::uint8_t>(random());
    for (std::uint32_t offset = 0; offset < image.size(); offset += 128) {
        std::vector<std::uint8_t> page(image.begin() + offset, image.begin() + offset + 128);
        ASSERT_EQ(writePage(network, "0100", 0x4000 + offset, page), 0);
    }
    const sim::Unit& unit = *network.unit("c");
    EXPECT_EQ(unit.flash.read(0x4000, image.size()), image);
    EXPECT_EQ(unit.flash.at(0x3FFF), 0xFF); // erased, not written
    EXPECT_EQ(unit.flash.pagesWritten(), 32u);
}

TEST(Flash, HighAddressPagesLandModulo256KiB) {
    sim::NetworkSimulator network(oneController());
    ask(network, "0100", cmd::EnterUpgrade);
    ask(network, "0100", cmd::EraseAll);
    EXPECT_EQ(writePage(network, "0100", 0xFC0000 + 0x34000, {1, 2, 3}), 0);
    EXPECT_EQ(network.unit("c")->flash.read(0x34000, 3), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(writePage(network, "0100", 0x3FFFF, {1, 2}), sim::flashError::AddressOutOfRange);
    EXPECT_EQ(writePage(network, "0100", 0x500000, {1}), sim::flashError::AddressOutOfRange);
}

TEST(Flash, WritingWithoutEraseFailsTheVerify) {
    sim::NetworkSimulator network(oneController());
    ask(network, "0100", cmd::EnterUpgrade);
    EXPECT_EQ(writePage(network, "0100", 0x4000, {0x55}), sim::flashError::VerifyFailed);
    ask(network, "0100", cmd::erase(cmd::sectorMask(1)));
    EXPECT_EQ(writePage(network, "0100", 0x4000, {0x55}), 0);
    // Sector 2 was not erased by the one-sector erase.
    EXPECT_EQ(writePage(network, "0100", 0x10000, {0x55}), sim::flashError::VerifyFailed);
    EXPECT_EQ(reply::readFlashStatus(ask(network, "0100", cmd::FlashStatus))->errorCode,
              sim::flashError::VerifyFailed);
}

TEST(Flash, ResetRunsTheVersionFoundWhereTheFileKeepsIt) {
    struct Case {
        int productId;
        std::uint32_t pageAddress;
    };
    // Intel HEX 16-bit, Intel HEX with high addresses, S-record (always with the offset).
    for (Case c : {Case{5, 0xFBFC}, Case{5, 0xFC0000 + 0x3FBFC}, Case{38, 0xFC0000 + 0x39F00}}) {
        sim::NetworkSimulator network(
            networkFrom(R"({"controllers": [{"name": "c", "la": "01", "productId": )" +
                        std::to_string(c.productId) + "}]}"));
        ask(network, "0100", cmd::EnterUpgrade);
        ask(network, "0100", cmd::EraseAll);
        ASSERT_EQ(writePage(network, "0100", c.pageAddress, {0x02, 0x0A}), 0);
        EXPECT_EQ(ask(network, "0100", cmd::Reset).size(), reply::StatusLength);
        std::string status = ask(network, "0100", cmd::StatusPoll);
        EXPECT_EQ(reply::statusByte(status), 0) << c.productId;
        EXPECT_EQ(reply::readUnitInfo(ask(network, "0100", cmd::UnitInfo)).version, 0x020A)
            << std::hex << c.pageAddress;
    }
}

TEST(Flash, AnErasedUnitWithoutAnImageStaysInItsBootLoader) {
    sim::NetworkSimulator network(oneController());
    ask(network, "0100", cmd::EnterUpgrade);
    ask(network, "0100", cmd::Reset); // nothing erased: the old application runs
    EXPECT_EQ(reply::statusByte(ask(network, "0100", cmd::StatusPoll)), 0);
    ask(network, "0100", cmd::EnterUpgrade);
    ask(network, "0100", cmd::EraseAll);
    ask(network, "0100", cmd::Reset);
    EXPECT_EQ(reply::statusByte(ask(network, "0100", cmd::StatusPoll)), reply::InUpgradeMode);
    EXPECT_EQ(network.unit("c")->resets, 2);
}

TEST(Flash, InjectedEraseAndPageFaultsFireOnceOrAlways) {
    sim::NetworkSimulator network(oneController(R"(, "faults": {
        "eraseFault": {"sector": 3, "code": "05"},
        "pageFault": {"address": "4080", "code": "03", "always": true}})"));
    ask(network, "0100", cmd::EnterUpgrade);
    EXPECT_EQ(reply::readEraseWrite(ask(network, "0100", cmd::EraseAll))->errorCode, 0x05);
    EXPECT_EQ(reply::readEraseWrite(ask(network, "0100", cmd::EraseAll))->errorCode, 0);
    EXPECT_EQ(writePage(network, "0100", 0x4000, {1}), 0);
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_EQ(writePage(network, "0100", 0x4080, {1}), 0x03);
    EXPECT_EQ(network.unit("c")->flash.at(0x4080), 0xFF); // a failed page writes nothing
    EXPECT_EQ(reply::readFlashStatus(ask(network, "0100", cmd::FlashStatus))->errorCode, 0x03);
    EXPECT_EQ(writePage(network, "0100", 0x4100, {1}), 0);
    EXPECT_EQ(reply::readFlashStatus(ask(network, "0100", cmd::FlashStatus))->errorCode, 0);
}

TEST(Flash, RefusalsAndSilences) {
    sim::NetworkSimulator network(
        oneController(R"(, "faults": {"silentBulkErase": true, "answersStatusNotInfo": true})"));
    EXPECT_EQ(ask(network, "0100", cmd::UnitInfo), "");
    EXPECT_EQ(ask(network, "0100", cmd::StatusPoll).size(), reply::StatusLength);
    EXPECT_EQ(ask(network, "0100", cmd::FlashStatus), ""); // the application ignores it
    ask(network, "0100", cmd::EnterUpgrade);
    EXPECT_EQ(ask(network, "0100", cmd::EraseAll), "");
    EXPECT_EQ(reply::readEraseWrite(ask(network, "0100", cmd::erase(0x01)))->errorCode, 0);
    EXPECT_EQ(reply::readEraseWrite(ask(network, "0100", cmd::erase(0x80)))->errorCode,
              sim::flashError::BadSectorMask);

    sim::NetworkSimulator refusing(oneController(R"(, "faults": {"refuseUpgrade": true})"));
    EXPECT_EQ(ask(refusing, "0100", cmd::EnterUpgrade).size(), reply::UpgradeModeLength);
    EXPECT_EQ(reply::statusByte(ask(refusing, "0100", cmd::StatusPoll)), 0);

    sim::NetworkSimulator picky(oneController(R"(, "entryCommand": "E001")"));
    EXPECT_EQ(ask(picky, "0100", cmd::EnterUpgrade), "");
    EXPECT_EQ(ask(picky, "0100", cmd::EnterUpgrade01).size(), reply::UpgradeModeLength);
}

TEST(Flash, AUnitThatLosesPowerComesBackWhereItWas) {
    sim::NetworkSimulator network(
        oneController(R"(, "faults": {"powerLoss": {"afterRequests": 3, "offMs": 1000}})"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(ask(network, "0100", cmd::StatusPoll, 10), "");
    EXPECT_EQ(ask(network, "0100", cmd::StatusPoll, 20), "");
    EXPECT_EQ(ask(network, "0100", cmd::StatusPoll, 1019), "");
    EXPECT_EQ(reply::statusByte(ask(network, "0100", cmd::StatusPoll, 1020)), 0);

    // In upgrade mode when the power went: the boot loader keeps it.
    sim::NetworkSimulator upgrading(
        oneController(R"(, "faults": {"powerLoss": {"afterFrames": 1, "offMs": 1000}})"));
    EXPECT_EQ(ask(upgrading, "0100", cmd::EnterUpgrade, 10).size(), reply::UpgradeModeLength);
    EXPECT_EQ(ask(upgrading, "0100", cmd::Reset, 20), "");
    EXPECT_EQ(reply::statusByte(ask(upgrading, "0100", cmd::StatusPoll, 1020)),
              reply::InUpgradeMode);
    EXPECT_EQ(upgrading.unit("c")->resets, 0);
}

TEST(Flash, ClearingMemoryMakesTheControllerDeafForAWhile) {
    sim::NetworkSimulator network(
        networkFrom(R"({"clearMemoryMs": 500, "controllers": [{"name": "c", "la": "01"}]})"));
    EXPECT_EQ(ask(network, "FF00", cmd::ClearMemory, 100), "");
    EXPECT_EQ(ask(network, "0100", cmd::StatusPoll, 599), "");
    EXPECT_EQ(ask(network, "0100", cmd::StatusPoll, 600).size(), reply::StatusLength);
    EXPECT_EQ(network.unit("c")->memoryClears, 1);
}

} // namespace
