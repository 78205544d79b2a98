// The estimate of the question before a site run against the run itself, in virtual time (the
// simulated line paced at its speed, time-outs passing at once): the demo network and
// sim/networks/large.json at 9600, 38400 and 57600 baud, the estimate made from the plan and
// the time from the plan to the end of the run.

#include "benchSupport.h"
#include "site/siteEstimate.h"
#include "site/siteRun.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct Speed {
    std::uint32_t bitsPerSecond;
    TComPortBaudRate rate;
};
constexpr Speed kSpeeds[] = {{9600, br9600}, {38400, br38400}, {57600, br57600}};

std::string readText(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Measured {
    SiteEstimate estimate;
    std::string question;
    double seconds = 0;
    bool succeeded = false;
};

Measured runAndEstimate(const char* network, Speed speed, int extraAttempts = 0) {
    RecordingConsole console;
    testkit::VirtualBus bus(console,
                            sim::parseNetwork(readText(network)).network.value_or(sim::Network{}));
    bus.port.setComPortSpeed(speed.rate);
    bus.link.setExtraAttempts(extraAttempts);
    OperationContext context = bus.context();
    const SiteOptions options{false, true, ControllerModel::AB};
    Measured measured;
    std::uint64_t plannedAtMs = 0;
    SiteObserver observer;
    observer.goOn = [&](const SiteBus& plan) {
        measured.estimate = estimateWrites(plannedWrites(plan, options.model, bus.trust),
                                           speed.bitsPerSecond, extraAttempts);
        measured.question = siteQuestion(measured.estimate, speed.bitsPerSecond);
        plannedAtMs = bus.clock.nowMs();
        return true;
    };
    const SiteBus site = runSite(context, "virtual", options, observer);
    measured.seconds = double(bus.clock.nowMs() - plannedAtMs) / 1000.0;
    measured.succeeded = siteSucceeded(site);
    return measured;
}

} // namespace

int main() {
    WorkingFolder folder;
    testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.path());
    std::printf("site run from its question to its end, virtual seconds\n");
    for (const char* network : {NEXALO_DEMO_NETWORK, NEXALO_LARGE_NETWORK}) {
        const std::string name = std::filesystem::path(network).filename().string();
        for (const Speed& speed : kSpeeds) {
            const Measured measured = runAndEstimate(network, speed);
            std::printf("  %-10s %6u baud  %2d units  estimate %6d s  run %8.1f s (%s)\n",
                        name.c_str(), speed.bitsPerSecond, measured.estimate.total(),
                        measured.estimate.seconds, measured.seconds,
                        measured.succeeded ? "ok" : "failed");
            reportRatio("site estimate / run, " + name + ", " +
                            std::to_string(speed.bitsPerSecond) + " baud",
                        measured.estimate.seconds / measured.seconds, "+-10%");
        }
    }
    const Measured extra = runAndEstimate(NEXALO_DEMO_NETWORK, kSpeeds[1], 3);
    std::printf("\ndemo.json at 38400 baud with 3 extra attempts: the run took %.1f s; asked\n%s\n",
                extra.seconds, extra.question.c_str());
    return 0;
}
