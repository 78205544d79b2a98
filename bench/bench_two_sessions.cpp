// Two buses at once in one process: a session each, each on its own simulated bus paced at the
// line rate, each running a single-unit upgrade on its worker thread. Both together should take
// no longer than one alone: the sessions share nothing but the process.

#include "benchFolder.h"
#include "benchSupport.h"
#include "hexWriter.h"
#include "imageContent.h"
#include "link/linkSession.h"
#include "link/operation.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "upgrade/dispatcher.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kBaud = 38400;
constexpr std::uint32_t kImageBytes = 32 * 1024;
constexpr int kRounds = 3;

const char* kNetwork = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01" } ] })";

// One bus: the simulator on its pseudo-terminal and the session on it.
struct Bus {
    Bus()
        : simulator(std::move(*sim::parseNetwork(kNetwork).network), sim::PtyOptions{kBaud, 0}),
          session(console) {
        const auto device = simulator.start();
        configureForTool(session.port());
        session.port().setComPortSpeed(br38400);
        session.port().setDevicePath(device.value_or(""));
    }
    // Starts a forced single-unit upgrade of controller 01 on the session's worker.
    void start() {
        upgraded = false;
        session.start([this](OperationContext& context) {
            PortSession port(context.link);
            if (!port.opened()) return;
            UpgradeSettings settings;
            settings.unitType = UnitType::ControllerAB;
            settings.controllerLA = "01";
            settings.forceUpgrade = true;
            FirmwareImage image;
            FoundUnits units;
            UpgradeRun run{context, settings, {}, image, units};
            upgraded = RunUpgrade(run).succeeded();
        });
    }

    sim::PtySimulator simulator;
    SilentConsole console;
    LinkSession session;
    bool upgraded = false;
};

// Seconds for the buses' upgrades started together; -1 when one failed.
double together(std::vector<std::unique_ptr<Bus>>& buses) {
    const double started = wallSeconds();
    for (auto& bus : buses)
        bus->start();
    for (auto& bus : buses)
        bus->session.wait();
    const double took = wallSeconds() - started;
    for (auto& bus : buses)
        if (!bus->upgraded) return -1;
    return took;
}

} // namespace

int main() {
    const BenchFolder folder("Controller-K2.hex", fwgen::FileFormat::HexExtended, 9, 90,
                             kImageBytes, 17);

    std::vector<std::unique_ptr<Bus>> one, two;
    one.push_back(std::make_unique<Bus>());
    two.push_back(std::make_unique<Bus>());
    two.push_back(std::make_unique<Bus>());
    std::printf("Single-unit upgrades of a %u-byte image at %u baud, simulator paced, %d rounds "
                "(goal: two buses at once / one bus <= 1.05)\n",
                kImageBytes, kBaud, kRounds);
    double alone = 0, both = 0;
    bool failed = false;
    for (int round = 0; round < kRounds && !failed; ++round) {
        const double a = together(one);
        const double b = together(two);
        std::printf("round %d: one bus %.3f s, two buses at once %.3f s\n", round + 1, a, b);
        failed = a < 0 || b < 0;
        alone += a;
        both += b;
    }
    if (failed) {
        std::printf("an upgrade failed\n");
        return 1;
    }
    std::printf("two buses / one bus: %.3f\n", both / alone);
    reportRatio("two sessions at once / one session (single-unit upgrade)", both / alone,
                "<= 1.05");
    return 0;
}
