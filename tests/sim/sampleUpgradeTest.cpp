// The demo network against the sample firmware files: every unit has a file that the tool
// would choose for it, with a newer version, and once the tool's own page texts are written
// into it the unit runs the version that the tool's reader found in that file.

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "image/remoteImage.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "product/productFiles.h"
#include "sim/remoteBootLoader.h"
#include "simTestSupport.h"
#include "tests/support/folderTrust.h"
#include "tests/support/workingFolder.h"

#include <filesystem>

using namespace simtest;

namespace {

// The tool's file selection reads from the working folder.
class InSampleFolder : public ::testing::Test {
protected:
    WorkingFolder folder{NEXALO_FW_SAMPLES_DIR};

    static sim::NetworkSimulator demo() {
        sim::NetworkLoad load =
            sim::loadNetworkFile(std::string(NEXALO_SOURCE_DIR) + "/sim/networks/demo.json");
        EXPECT_TRUE(load.network) << load.error;
        return sim::NetworkSimulator(load.network.value_or(sim::Network{}));
    }

    SilentConsole console;
    FirmwareImage image;
};

UnitType unitTypeOf(const sim::Unit& unit) {
    switch (unit.kind) {
    case sim::UnitKind::Controller:
        return unit.model == sim::ControllerModel::CD ? UnitType::ControllerCD
                                                      : UnitType::ControllerAB;
    case sim::UnitKind::Host:
        return UnitType::HostInterface;
    default:
        return UnitType::Terminal;
    }
}

// Upgrade mode, bulk erase, every page in turn and the reset, each answered as the single-unit
// upgrade wants it.
void writeImage(sim::NetworkSimulator& network, const std::string& address, FirmwareImage& image) {
    ASSERT_EQ(ask(network, address, cmd::EnterUpgrade).size(), reply::UpgradeModeLength);
    std::string erased = ask(network, address, cmd::EraseAll);
    ASSERT_EQ(erased.size(), reply::EraseWriteLength);
    EXPECT_EQ(reply::readEraseWrite(erased)->errorCode, 0);
    image.cursor = 0;
    do {
        std::string page = FormatWriteData(image);
        if (page.empty()) continue;
        std::string written = ask(network, address, cmd::writePage(page));
        ASSERT_EQ(written.size(), reply::EraseWriteLength) << page.substr(0, 12);
        ASSERT_EQ(reply::readEraseWrite(written)->errorCode, 0) << page.substr(0, 12);
    } while (image.cursor <= image.highestWritten);
    EXPECT_EQ(ask(network, address, cmd::Reset).size(), reply::StatusLength);
}

TEST_F(InSampleFolder, EveryDemoUnitRunsTheVersionOfItsSampleFileAfterAnUpgrade) {
    sim::NetworkSimulator network = demo();
    int upgraded = 0;
    for (const sim::Unit& before : std::vector<sim::Unit>(network.network().units)) {
        if (before.hasRemote) continue; // upgraded through its terminal, below
        SCOPED_TRACE(before.name);
        ASSERT_TRUE(LoadApplicationFile(image, console, before.productId, unitTypeOf(before),
                                        UpgradeType::SingleUnit, folderTrust()));
        EXPECT_LT(before.version, image.fileVersion); // a demo upgrade has work to do
        std::string address = sim::unitAddress(network.network(), before);
        writeImage(network, address, image);

        std::string status = ask(network, address, cmd::StatusPoll);
        EXPECT_FALSE(reply::inUpgradeMode(reply::statusByte(status)));
        EXPECT_EQ(reply::readUnitInfo(ask(network, address, cmd::UnitInfo)).version,
                  image.fileVersion);
        const sim::FlashMemory& flash = network.unit(before.name)->flash;
        for (std::int32_t a = image.lowestWritten; a <= image.highestWritten; ++a) {
            if (image.isWritten(a)) {
                ASSERT_EQ(flash.at(static_cast<std::uint32_t>(a)), image.byteAt(a)) << a;
            }
        }
        ++upgraded;
    }
    EXPECT_GE(upgraded, 6);
}

TEST_F(InSampleFolder, TheDemoRemoteTakesItsImageFileThroughItsTerminal) {
    sim::NetworkSimulator network = demo();
    const sim::Unit* terminal = nullptr;
    for (const sim::Unit& u : network.network().units)
        if (u.hasRemote) terminal = &u;
    ASSERT_NE(terminal, nullptr);
    std::string address = sim::unitAddress(network.network(), *terminal);
    reply::UnitInfo info = reply::readUnitInfo(ask(network, address, cmd::UnitInfo));
    EXPECT_GE(info.secondVersion, 0x0200); // new enough to be upgraded at all

    // The image is chosen by the product ID the terminal reports, and passes the reset vector
    // test.
    ASSERT_TRUE(ReadS19Data(image, info.productId, folderTrust()));
    EXPECT_TRUE(image.byteAt(0xFFFE) == 0xE0 || image.byteAt(0xFFFF) == 0x00);
    auto send = [&](std::vector<std::uint8_t> request, std::uint8_t wait) {
        return reply::passThroughBytes(ask(network, address, cmd::passThrough(wait, request)));
    };
    const std::vector<std::uint8_t> accepted{remote::ReplyAccepted};
    auto writeBlock = [&](std::int32_t start, std::initializer_list<int> writes) {
        auto high = static_cast<std::uint8_t>(start >> 8), low = static_cast<std::uint8_t>(start);
        EXPECT_EQ(send({remote::RequestSetAddress, high, low}, remote::WaitOrdinary), accepted);
        EXPECT_EQ(send({remote::RequestEraseBlock}, remote::WaitOrdinary), accepted);
        for (int n : writes) {
            RemoteRequest request;
            request.bytes[0] = remote::RequestWrite;
            FormatData(image, request, start, n);
            start += n;
            EXPECT_EQ(send({request.bytes.begin(), request.bytes.begin() + request.length},
                           remote::WaitOrdinary),
                      accepted);
        }
    };

    send({remote::RequestPrepare}, remote::WaitNone);
    EXPECT_EQ(
        send({std::begin(remote::EntryCode), std::end(remote::EntryCode)}, remote::WaitOrdinary),
        accepted);
    for (std::int32_t block = 0xE300; block <= 0xFDC0; block += 64)
        writeBlock(block, {32, 32});
    writeBlock(0xFFDC, {4, 32});
    send({remote::RequestLeave}, remote::WaitNone);

    std::vector<std::uint8_t> version = send({remote::RequestVersion}, remote::WaitFinalVersion);
    ASSERT_EQ(version.size(), remote::VersionReplyBytes);
    // The version the sample carries in the last two bytes of the application area.
    EXPECT_EQ(version[remote::VersionMajorIndex], image.byteAt(0xFDFE));
    EXPECT_EQ(version[remote::VersionMinorIndex], image.byteAt(0xFDFF));
    std::uint16_t written =
        static_cast<std::uint16_t>(image.byteAt(0xFDFE) << 8 | image.byteAt(0xFDFF));
    EXPECT_GT(written, info.secondVersion);
    EXPECT_EQ(reply::readUnitInfo(ask(network, address, cmd::UnitInfo)).secondVersion, written);
    const sim::RemoteUnit& remote = network.unit(terminal->name)->remote;
    for (std::uint32_t a : {0xE300u, 0xF000u, 0xFDFFu, 0xFFDCu, 0xFFFEu, 0xFFFFu})
        EXPECT_EQ(remote.flash[a], image.byteAt(static_cast<std::int32_t>(a))) << std::hex << a;
}

} // namespace
