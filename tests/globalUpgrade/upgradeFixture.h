#pragma once
// Upgrade runs against the simulated network, with firmware files generated into a fresh
// working folder: in virtual time through the in-memory line (long pauses and time-outs take
// no real time), or over a real pseudo-terminal on the real clock.

#include "hexWriter.h"
#include "image/pageFormat.h"
#include "imageContent.h"
#include "link/catalogue.h"
#include "link/silentConsole.h"
#include "product/productFiles.h"
#include "srecWriter.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"

#include "upgrade/upgradeRun.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

namespace upgradetest {

// Writes a generated firmware file of size application bytes into the working folder.
inline void writeFirmware(const std::string& name, fwgen::FileFormat format, std::uint8_t major,
                          std::uint8_t minor, std::uint32_t size, std::uint64_t seed = 1) {
    std::vector<fwgen::Segment> segments = fwgen::buildImage({format, major, minor, size, seed});
    const std::string stem = name.substr(0, name.find('.'));
    std::ofstream file(name, std::ios::binary);
    switch (format) {
    case fwgen::FileFormat::S28:
        file << fwgen::writeS28(segments, stem);
        break;
    case fwgen::FileFormat::S19:
        file << fwgen::writeS19(segments, stem, fwgen::kRemoteResetTarget);
        break;
    default:
        file << fwgen::writeIntelHex(segments, format == fwgen::FileFormat::HexExtended);
    }
}

// The image addresses at which the pages of an image start, in the order they are sent.
inline std::vector<std::int32_t> pageStarts(FirmwareImage image) {
    std::vector<std::int32_t> starts;
    image.cursor = 0;
    while (image.cursor <= image.highestWritten) {
        std::string page = FormatWriteData(image);
        if (!page.empty())
            starts.push_back(static_cast<std::int32_t>(std::stoul(page.substr(0, 8), nullptr, 16) &
                                                       (FirmwareImage::kSize - 1)));
    }
    return starts;
}

// Whether the unit's flash holds every written byte of the image.
inline ::testing::AssertionResult flashHolds(const sim::Unit& unit, const FirmwareImage& image) {
    for (std::int32_t a = image.lowestWritten; a <= image.highestWritten; ++a)
        if (image.isWritten(a) && unit.flash.at(static_cast<std::uint32_t>(a)) != image.byteAt(a))
            return ::testing::AssertionFailure() << unit.name << " differs at " << std::hex << a;
    return ::testing::AssertionSuccess();
}

// Frames the simulator received whose command starts with prefix, sent to address.
inline int framesTo(const sim::Network& network, const std::string& address,
                    const std::string& prefix) {
    int count = 0;
    for (const sim::ReceivedFrame& f : network.frames)
        if (f.address == address && f.command.starts_with(prefix)) ++count;
    return count;
}

// A face that also keeps every position of the bar.
class ProgressConsole : public RecordingConsole {
public:
    void progress(int position, int, int) override { positions.push_back(position); }
    std::vector<int> positions;
};

// What every run needs beside the line: settings, table, image, face.
struct RunState {
    UpgradeSettings settings;
    ScopeFlags scope;
    FirmwareImage image;
    FoundUnits units;
    ProgressConsole console;

    // Enters a unit into the table as discovery would.
    void found(int la, std::uint8_t productId, std::uint16_t version) {
        FoundUnit& unit = *units.at(la);
        unit = {productId,
                version,
                GetUpgradeType(productId, settings.unitType),
                UnitState::Pending,
                {}};
    }
    UnitState state(int la) const { return units.at(la)->state; }
    // The terminals of controller cc, all at once or one at a time.
    void terminalsOf(const std::string& cc, UpgradeType type) {
        settings.unitType = UnitType::Terminal;
        settings.upgradeType = type;
        settings.controllerLA = cc;
        settings.terminalLA = "FF";
        scope.terminalScope = true;
    }
};

class UpgradeInVirtualTime : public ::testing::Test, public RunState {
protected:
    explicit UpgradeInVirtualTime(const std::string& json)
        : bus(console, testkit::networkFrom(json)) {
        bus.openPort();
    }
    UpgradeRun run() { return UpgradeRun{bus.context(), settings, scope, image, units}; }
    const sim::Unit& unit(const std::string& name) { return *network.unit(name); }

    WorkingFolder folder;
    testkit::VirtualBus bus;
    VirtualClock& clock = bus.clock;
    sim::NetworkSimulator& network = bus.network;
    Transaction& link = bus.link;
    RunControl& control = bus.control;
};

#ifndef _WIN32 // the pseudo-terminal bus is Linux's
class UpgradeOverPty : public ::testing::Test, public RunState {
protected:
    explicit UpgradeOverPty(const std::string& json) : bus(console, testkit::networkFrom(json)) {}
    void SetUp() override { ASSERT_TRUE(bus.openPort()); }
    UpgradeRun run() { return UpgradeRun{bus.context(), settings, scope, image, units}; }

    WorkingFolder folder;
    testkit::PtyBus bus;
    sim::PtySimulator& simulator = bus.simulator;
    Transaction& link = bus.link;
    RunControl& control = bus.control;
};
#endif

} // namespace upgradetest
