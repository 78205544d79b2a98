#pragma once
// Upgrade runs against the simulated network, with firmware files generated into a fresh
// working folder: in virtual time through the in-memory line (long pauses and time-outs take
// no real time), or over a real pseudo-terminal on the real clock.

#include "hexWriter.h"
#include "image/pageFormat.h"
#include "imageContent.h"
#include "link/catalogue.h"
#include "product/productFiles.h"
#include "sim/ptySimulator.h"
#include "sim/virtualLineBackend.h"
#include "srecWriter.h"
#include "tests/link/tempFolder.h"
#include "tests/sim/simTestSupport.h"
#include "tests/support/recordingConsole.h"
#include "upgrade/upgradeRun.h"

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

// What every run needs beside the line: settings, table, image, stop signal, face.
struct RunState {
    UpgradeSettings settings;
    ScopeFlags scope;
    FirmwareImage image;
    FoundUnits units;
    StopSignal signal;
    ProgressConsole console;

    // Enters a unit into the table as discovery would.
    void found(int la, std::uint8_t productId, std::uint16_t version) {
        FoundUnit& unit = *units.at(la);
        unit = {productId, version, GetUpgradeType(productId, settings.unitType),
                UnitState::Pending};
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
    explicit UpgradeInVirtualTime(const std::string& json) : network(simtest::networkFrom(json)) {
        auto backend = std::make_unique<sim::VirtualLineBackend>(clock, network);
        port = std::make_unique<TSerialPort>(clock, std::move(backend));
        configureForTool(*port);
        port->setDevicePath("virtual");
        port->OpenPort();
        port->SuspendPolling();
        link = std::make_unique<Transaction>(*port, clock, console);
    }
    UpgradeRun run() {
        return UpgradeRun{{*link, console, clock, signal}, settings, scope, image, units};
    }
    const sim::Unit& unit(const std::string& name) { return *network.unit(name); }

    TempWorkingFolder folder;
    VirtualClock clock;
    sim::NetworkSimulator network;
    std::unique_ptr<TSerialPort> port;
    std::unique_ptr<Transaction> link;
};

class UpgradeOverPty : public ::testing::Test, public RunState {
protected:
    explicit UpgradeOverPty(const std::string& json) : simulator(simtest::networkFrom(json)) {}
    void SetUp() override {
        std::optional<std::string> device = simulator.start();
        ASSERT_TRUE(device) << simulator.error();
        configureForTool(port);
        port.setDevicePath(*device);
        ASSERT_TRUE(port.OpenPort());
        port.SuspendPolling();
    }
    UpgradeRun run() {
        return UpgradeRun{{link, console, systemClock(), signal}, settings, scope, image, units};
    }

    TempWorkingFolder folder;
    sim::PtySimulator simulator;
    TSerialPort port{systemClock()};
    Transaction link{port, systemClock(), console};
};

} // namespace upgradetest
