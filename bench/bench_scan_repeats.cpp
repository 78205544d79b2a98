// Extra attempts where something was heard, in virtual time (the simulated line paced at 38400
// baud, time-outs passing at once): an upgrade of all controllers and a whole-site run with 3
// extra attempts against the same with none on a clean line, and how often a scan of 64
// controllers finds every one on a line that loses 5% of the replies at random, with the
// silent LAs asked again after the pass against every LA repeated at once as each was asked.

#include "benchSupport.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "site/siteRun.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"
#include "upgrade/discovery.h"
#include "upgrade/dispatcher.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr int kExtraAttempts = 3;
constexpr int kLossyRuns = 1000;
constexpr double kLostShare = 0.05;

std::string readText(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

sim::Network networkOf(const char* path) {
    return sim::parseNetwork(readText(path)).network.value_or(sim::Network{});
}

// A session on the simulated network at 38400 baud, its port open, with these extra attempts.
struct Bus {
    Bus(sim::Network network, int extraAttempts) : bus(console, std::move(network)) {
        bus.port.setComPortSpeed(br38400);
        bus.openPort();
        bus.link.setExtraAttempts(extraAttempts);
    }
    double seconds() { return double(bus.clock.nowMs()) / 1000.0; }
    RecordingConsole console;
    testkit::VirtualBus bus;
};

struct AllControllers {
    UpgradeSettings settings{UnitType::ControllerAB, UpgradeType::AllUnits, false, "FF", "FF"};
    ScopeFlags scope{true, false};
    FirmwareImage image;
    FoundUnits units;
};

// Virtual seconds of an upgrade of every A/B controller of the network, and how many ended done.
std::pair<double, int> upgradeAllControllers(const char* network, int extraAttempts) {
    Bus line(networkOf(network), extraAttempts);
    AllControllers all;
    UpgradeRun run{line.bus.context(), all.settings, all.scope, all.image, all.units};
    RunUpgrade(run);
    int done = 0;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la)
        done += all.units.at(la)->state == UnitState::Done;
    return {line.seconds(), done};
}

std::pair<double, bool> siteRun(const char* network, int extraAttempts) {
    Bus line(networkOf(network), extraAttempts);
    OperationContext context = line.bus.context();
    const SiteBus site = runSite(context, "virtual", {false, true, ControllerModel::AB});
    return {line.seconds(), siteSucceeded(site)};
}

sim::Network lossy(const char* path, std::uint64_t seed) {
    sim::Network network = networkOf(path);
    network.seed = seed;
    network.lineFaults.dropShare = kLostShare;
    return network;
}

// The scan as it is: whether it listed every controller of the network.
bool scanFindsAll(const char* path, std::uint64_t seed, int controllers) {
    Bus line(lossy(path, seed), kExtraAttempts);
    AllControllers all;
    UpgradeRun run{line.bus.context(), all.settings, all.scope, all.image, all.units};
    FindUnits(run);
    int listed = 0;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la)
        listed += all.units.at(la)->state == UnitState::Pending;
    return listed == controllers;
}

// The scan as it was before silent LAs were put off: each LA's poll with its retry and the
// extra attempts at once, then the unit's information with the same.
bool scanFindsAllAtOnce(const char* path, std::uint64_t seed, int controllers) {
    Bus line(lossy(path, seed), kExtraAttempts);
    Transaction& link = line.bus.link;
    int listed = 0;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
        const std::string address = addr::controller(static_cast<std::uint8_t>(la));
        if (link.TxMessage(address, cmd::StatusPoll, tr::DiscoveryScanPoll).empty()) continue;
        const std::string info = link.TxMessage(address, cmd::UnitInfo, tr::DiscoveryInfo).text;
        listed += reply::hasUnitInfo(info, reply::UnitInfoFullThreshold);
    }
    return listed == controllers;
}

int controllersOf(const char* path) {
    const sim::Network network = networkOf(path);
    return static_cast<int>(std::ranges::count_if(network.units, [](const sim::Unit& unit) {
        return unit.kind == sim::UnitKind::Controller;
    }));
}

void cleanLine() {
    std::printf("clean line, 38400 baud, virtual seconds: none / %d extra attempts\n",
                kExtraAttempts);
    for (const char* network : {NEXALO_DEMO_NETWORK, NEXALO_LARGE_NETWORK}) {
        const auto [none, doneNone] = upgradeAllControllers(network, 0);
        const auto [extra, doneExtra] = upgradeAllControllers(network, kExtraAttempts);
        const std::string name = std::filesystem::path(network).filename().string();
        std::printf("  all controllers of %-10s %8.1f s (%d done)  %8.1f s (%d done)\n",
                    name.c_str(), none, doneNone, extra, doneExtra);
        reportRatio("all controllers, " + name + ", 3 extra attempts / none", extra / none,
                    "<= 1.05");
    }
    const auto [none, okNone] = siteRun(NEXALO_LARGE_NETWORK, 0);
    const auto [extra, okExtra] = siteRun(NEXALO_LARGE_NETWORK, kExtraAttempts);
    std::printf("  site run of large.json     %8.1f s (%s)  %8.1f s (%s)\n", none,
                okNone ? "ok" : "failed", extra, okExtra ? "ok" : "failed");
    reportRatio("site run, large.json, 3 extra attempts / none", extra / none, "<= 1.05");
}

void lossyLine() {
    std::printf("\n%.0f%% of replies lost, %d extra attempts: scans that listed every "
                "controller, of %d\n",
                kLostShare * 100, kExtraAttempts, kLossyRuns);
    for (const char* network : {NEXALO_LARGE_NETWORK, NEXALO_DEMO_NETWORK}) {
        const int controllers = controllersOf(network);
        int now = 0, atOnce = 0;
        for (int seed = 1; seed <= kLossyRuns; ++seed) {
            now += scanFindsAll(network, static_cast<std::uint64_t>(seed), controllers);
            atOnce += scanFindsAllAtOnce(network, static_cast<std::uint64_t>(seed), controllers);
        }
        const std::string name = std::filesystem::path(network).filename().string();
        std::printf("  %-10s (%2d controllers)  repeated at once %4d   silent LAs after the "
                    "pass %4d\n",
                    name.c_str(), controllers, atOnce, now);
        reportRatio("scans of " + name + " finding all, 5% lost, share of 1000",
                    double(now) / kLossyRuns, ">= 0.999");
    }
}

} // namespace

int main() {
    WorkingFolder folder;
    testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.path());
    cleanLine();
    lossyLine();
    return 0;
}
