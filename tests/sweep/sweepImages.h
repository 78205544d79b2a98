#pragma once
// The firmware files of a sweep, written into its working folder, and what a unit must hold
// once the tool has reported it upgraded.

#include "image/fileSelection.h"
#include "image/remoteImage.h"
#include "link/catalogue.h"
#include "link/silentConsole.h"
#include "sim/imageStart.h"
#include "sim/unitModel.h"
#include "tests/globalUpgrade/upgradeFixture.h"
#include "tests/support/folderTrust.h"

#include <sstream>

namespace sweep {

inline FirmwareImage unitImage(std::uint8_t productId, UnitType unitType, UpgradeType type) {
    FirmwareImage image;
    SilentConsole quiet;
    EXPECT_TRUE(LoadApplicationFile(image, quiet, productId, unitType, type, folderTrust()));
    return image;
}

inline FirmwareImage remoteImage(std::uint8_t productId) {
    FirmwareImage image;
    EXPECT_EQ(readRemoteImage(image, productId), RemoteImageResult::Read);
    return image;
}

// Empty when the unit holds the image and runs its version; else what differs.
inline std::string unitProblem(const sim::Unit& unit, const FirmwareImage& image) {
    std::ostringstream why;
    if (::testing::AssertionResult holds = upgradetest::flashHolds(unit, image); !holds)
        why << holds.message() << "; ";
    if (unit.version != image.fileVersion)
        why << unit.name << " runs version " << std::hex << unit.version << "; ";
    // A unit still without power, or running an image that will give up, is judged as it will
    // be.
    if (sim::willBeInBootLoader(unit)) why << unit.name << " is in its boot loader; ";
    return why.str();
}

inline std::string remoteProblem(const sim::RemoteUnit& remote, const FirmwareImage& image) {
    std::ostringstream why;
    for (std::int32_t a = remote::ApplicationFirst; a <= remote::VectorLast; ++a) {
        const bool inArea = a <= remote::ApplicationLast || a >= remote::VectorFirst;
        if (inArea && remote.flash[static_cast<std::size_t>(a)] != image.byteAt(a)) {
            why << "the remote differs at " << std::hex << a << "; ";
            break;
        }
    }
    // The remote's application keeps its version in the last two bytes of its area.
    const auto version =
        static_cast<std::uint16_t>(image.byteAt(sim::RemoteUnit::VersionCell) << 8 |
                                   image.byteAt(sim::RemoteUnit::VersionCell + 1));
    if (remote.version != version)
        why << "the remote runs version " << std::hex << remote.version << "; ";
    if (remote.upgradeMode) why << "the remote is in its boot loader; ";
    return why.str();
}

} // namespace sweep
