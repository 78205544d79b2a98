#pragma once
// The upgrade engine against the simulated network: in virtual time (long time-outs pass at
// once) or over a real pseudo-terminal on the real clock, in the folder of the sample files.

#include "image/firmwareImage.h"
#include "link/operationContext.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"
#include "upgrade/upgradeRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace upgradetest {

using testkit::networkFrom;

// Remembers the bar as well, and can act when it moves (the operator's click at a moment).
class BarConsole : public RecordingConsole {
public:
    void progress(int position, int, int max) override {
        positions.push_back(position);
        lastMax = max;
        if (onProgress) onProgress(position);
    }
    void searching(int la, int) override {
        if (onSearching) onSearching(la);
    }
    std::vector<int> positions;
    int lastMax = 0;
    std::function<void(int)> onProgress;
    std::function<void(int la)> onSearching;
};

// Whether the unit's flash holds every written byte of the image, and the unit now runs the
// version of the file.
inline void expectUnitRunsImage(const sim::Unit& unit, const FirmwareImage& image) {
    std::size_t checked = 0, wrong = 0;
    const std::uint32_t offset = image.highAddress ? FirmwareImage::kHighAddressOffset : 0;
    for (std::int32_t a = 0; a < FirmwareImage::kSize; ++a) {
        if (!image.isWritten(a)) continue;
        const auto cell = sim::FlashMemory::cellOf(static_cast<std::uint32_t>(a) + offset);
        ASSERT_TRUE(cell) << a;
        ++checked;
        if (unit.flash.at(*cell) != image.bytes[static_cast<std::size_t>(a)]) ++wrong;
    }
    EXPECT_GT(checked, 1000u);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(unit.version, image.fileVersion);
    EXPECT_FALSE(unit.upgradeMode);
}

// One controller 01 of model AB with terminals; most tests need no more.
inline std::string networkWith(const std::string& terminals) {
    return R"({ "seed": 3, "controllers": [
      { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
        "terminals": [ )" +
           terminals + R"( ] } ] })";
}

inline const char* kPlainTerminal =
    R"({ "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" })";

class UpgradeInVirtualTime : public ::testing::Test {
protected:
    void start(const std::string& json) {
        bus = std::make_unique<testkit::VirtualBus>(console, testkit::networkFrom(json));
        bus->openPort();
    }
    UpgradeRun run() { return UpgradeRun{bus->context(), settings, scope, image, units}; }
    sim::Unit& unit(const std::string& name) { return *bus->network.unit(name); }
    Transaction& link() { return bus->link; }
    RunControl& control() { return bus->control; }
    VirtualClock& clock() { return bus->clock; }
    sim::NetworkSimulator& network() { return bus->network; }

    WorkingFolder folder{NEXALO_FW_SAMPLES_DIR};
    BarConsole console;
    std::unique_ptr<testkit::VirtualBus> bus;
    UpgradeSettings settings;
    ScopeFlags scope;
    FirmwareImage image;
    FoundUnits units;
};

#ifndef _WIN32 // the pseudo-terminal bus is Linux's
class UpgradeOverPty : public ::testing::Test {
protected:
    void start(const std::string& json) {
        bus = std::make_unique<testkit::PtyBus>(console, testkit::networkFrom(json));
        ASSERT_TRUE(bus->openPort());
    }
    UpgradeRun run() { return UpgradeRun{bus->context(), settings, scope, image, units}; }
    Transaction& link() { return bus->link; }
    RunControl& control() { return bus->control; }
    sim::PtySimulator& simulator() { return bus->simulator; }

    WorkingFolder folder{NEXALO_FW_SAMPLES_DIR};
    BarConsole console;
    std::unique_ptr<testkit::PtyBus> bus;
    UpgradeSettings settings;
    ScopeFlags scope;
    FirmwareImage image;
    FoundUnits units;
};
#endif

} // namespace upgradetest
