// The remote behind a terminal: a whole upgrade over a real pseudo-terminal, compared byte for
// byte, and the refusals that must send nothing, in virtual time.

#include "image/remoteImage.h"
#include "tests/support/folderTrust.h"
#include "upgrade/remote.h"
#include "upgradeFixture.h"

using namespace upgradetest;

namespace {

constexpr char kRemoteNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "05", "productId": 5, "terminals": [
    { "name": "r1", "la": "13", "productId": 31, "version": "1.05",
      "remote": { "productId": 31, "version": "2.03" } },
    { "name": "r2", "la": "14", "productId": 85, "version": "1.05",
      "remote": { "productId": 85, "refuseEntry": true } } ] } ] })";

bool remoteHolds(const sim::RemoteUnit& remote, const FirmwareImage& image) {
    for (std::int32_t a = remote::ApplicationFirst; a <= remote::VectorLast; ++a) {
        const bool inArea = a <= remote::ApplicationLast || a >= remote::VectorFirst;
        if (inArea && remote.flash[static_cast<std::size_t>(a)] != image.byteAt(a)) return false;
    }
    return true;
}

class RemoteOverPty : public UpgradeOverPty {
protected:
    RemoteOverPty() : UpgradeOverPty(kRemoteNetwork) { settings.unitType = UnitType::Remote; }
};

TEST_F(RemoteOverPty, TheRemoteTakesBothAreasAndRunsTheNewVersion) {
    writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
    UpgradeRun r = run();
    ASSERT_TRUE(GoUpgradeRemote(r, "0513", 31).succeeded());

    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Firmware:  V02.03", "Enter Upgrade mode", "Erase Flash...",
                                        "Write Flash...", "Upgrade Ok"}));
    FirmwareImage sent;
    ASSERT_TRUE(ReadS19Data(sent, 31, folderTrust()));
    std::optional<sim::Unit> terminal = simulator.unit("r1");
    EXPECT_TRUE(remoteHolds(terminal->remote, sent));
    EXPECT_EQ(terminal->remote.version, 0x0233);
    EXPECT_FALSE(terminal->remote.upgradeMode);
    // Address, erase and two writes per block: 108 application blocks and the vector block.
    int blocks = 0;
    for (const std::vector<std::uint8_t>& request : terminal->remote.requests)
        blocks += !request.empty() && request[0] == remote::RequestEraseBlock;
    EXPECT_EQ(blocks, remote::BlockCount + 1);
    EXPECT_EQ(terminal->commands.back(), cmd::RemoteClose);
    ASSERT_GE(console.positions.size(), 2u);
    EXPECT_EQ(console.positions[console.positions.size() - 2], 99);
    EXPECT_EQ(console.positions.back(), 100);
}

class RemoteInVirtualTime : public UpgradeInVirtualTime {
protected:
    RemoteInVirtualTime() : UpgradeInVirtualTime(kRemoteNetwork) {
        settings.unitType = UnitType::Remote;
    }
    bool upgrade(const std::string& address, std::uint8_t productId) {
        UpgradeRun r = run();
        return GoUpgradeRemote(r, address, productId).succeeded();
    }
};

// No file, a damaged file, a product without a file, a reset vector outside the boot area:
// the remote hears nothing, and the operator is told why.
TEST_F(RemoteInVirtualTime, AnImageThatCannotBeSentReachesNoRemote) {
    EXPECT_FALSE(upgrade("0513", 31));
    std::ofstream("remoteR2.s19") << "S104E300AB6D\nS104E301AB00\nS9030000FC\n";
    EXPECT_FALSE(upgrade("0513", 32));
    EXPECT_FALSE(upgrade("0513", 35));
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{
                  RemoteImageFailureLine(RemoteImageResult::FileMissing, 31),
                  RemoteImageFailureLine(RemoteImageResult::Damaged, 32),
                  RemoteImageFailureLine(RemoteImageResult::NoFileForProduct, 35)}));

    std::ofstream("remoteR1.s19") << "S104E300AB6D\nS9030000FC\n"; // no vectors: FF FF
    EXPECT_FALSE(upgrade("0513", 31));
    ASSERT_EQ(console.messages.size(), 1u);
    EXPECT_EQ(console.messages[0].text, "This files Reset Vector address is invalid!  For safety, "
                                        "aborting programming.");
    EXPECT_TRUE(network.network().frames.empty());
}

TEST_F(RemoteInVirtualTime, ARemoteThatRefusesUpgradeModeIsNotWritten) {
    writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 55, 6910, 3);
    EXPECT_FALSE(upgrade("0514", 85));
    EXPECT_EQ(console.statusLines.back(), "Failed to enter Upgrade mode!");
    for (const std::vector<std::uint8_t>& request : unit("r2").remote.requests)
        EXPECT_NE(request.front(), remote::RequestWrite);
    // The terminal relays until it is told to stop, failure or not.
    EXPECT_EQ(unit("r2").commands.back(), cmd::RemoteClose);
}

} // namespace
