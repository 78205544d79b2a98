// Eight buses brought up to date at once, each by its own session on its own worker thread and
// each behind its own simulator process paced at 38400 baud, against the slowest of the same
// buses brought up to date alone. The buses share nothing but the process, so eight at once
// should take no longer than the slowest alone, and each costs the process little CPU.

#include "benchSupport.h"
#include "simProcess.h"
#include "site/siteRun.h"
#include "siteBench.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace {

constexpr int kBuses = 8;

// A controller whose own firmware is current, with two terminals behind on theirs and one
// current: one "ALL units" upgrade of the controller's terminals.
const char* kSite = R"({ "controllers": [
  { "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "4.20", "terminals": [
    { "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
    { "la": "02", "fixedAddress": "20000102", "productId": 6, "version": "2.00" },
    { "la": "03", "fixedAddress": "20000103", "productId": 20, "version": "2.21" } ] } ] })";

std::string portName(int bus) {
    return "COM" + std::to_string(bus + 1);
}

// Wall seconds for the buses' site runs started together; negative when one did not succeed.
double together(std::vector<std::unique_ptr<BenchBus>>& buses) {
    std::vector<char> ok(buses.size(), 0);
    const double started = wallSeconds();
    for (std::size_t i = 0; i < buses.size(); ++i)
        buses[i]->session.start([&ok, i](OperationContext& context) {
            ok[i] = siteSucceeded(runSite(context, portName(static_cast<int>(i)), {}));
        });
    for (auto& bus : buses)
        bus->session.wait();
    const double took = wallSeconds() - started;
    return std::all_of(ok.begin(), ok.end(), [](char o) { return o != 0; }) ? took : -took;
}

} // namespace

int main() {
    const SampleFolder folder;
    const std::string network = folder.file("site.json");
    std::ofstream(network) << kSite;
    std::printf("%d buses, each a controller with three terminals (two behind), %u baud, one "
                "simulator process per bus (goals: at once / slowest alone <= 1.10, CPU per bus "
                "< 2%% of a core)\n",
                kBuses, kSiteBaud);

    std::vector<double> alone;
    for (int bus = 0; bus < kBuses; ++bus) {
        const SimProcess sim(folder.path().string(), portName(bus), network, kSiteBaud);
        std::vector<std::unique_ptr<BenchBus>> one;
        one.push_back(std::make_unique<BenchBus>(sim.link()));
        alone.push_back(together(one));
        std::printf("bus %d alone: %.2f s\n", bus + 1, alone.back());
        if (alone.back() < 0) return 1;
    }
    std::sort(alone.begin(), alone.end());
    const double slowest = alone.back();
    const double median = (alone[kBuses / 2 - 1] + alone[kBuses / 2]) / 2;

    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::unique_ptr<BenchBus>> buses;
    for (int bus = 0; bus < kBuses; ++bus) {
        sims.push_back(std::make_unique<SimProcess>(folder.path().string(), portName(bus), network,
                                                    kSiteBaud));
        buses.push_back(std::make_unique<BenchBus>(sims.back()->link()));
    }
    const double cpuStart = processCpuSeconds();
    const double all = together(buses);
    const double cpu = processCpuSeconds() - cpuStart;
    if (all < 0) {
        std::printf("a bus failed\n");
        return 1;
    }
    const double cpuShare = cpu / all / kBuses * 100;
    std::printf("%d buses at once: %.2f s, slowest alone %.2f s, ratio %.3f; CPU %.2f s, "
                "%.2f%% of a core per bus\n",
                kBuses, all, slowest, all / slowest, cpu, cpuShare);
    reportRatio("eight buses at once / slowest bus alone (site run)", all / slowest, "<= 1.10");
    // One bus disturbed while it ran alone would flatter the figure above.
    reportRatio("  the same against the median bus alone", all / median, "");
    reportRatio("CPU per bus during eight site runs (% of a core)", cpuShare, "< 2");
    return 0;
}
