// 8, 16, 32 and 64 buses brought up to date at once, each by its own session on its own worker
// thread and each behind its own simulator process paced at 38400 baud, against the slowest of
// a few of the same buses brought up to date alone. The buses share nothing but the process, so
// many at once should take no longer than the slowest alone, and each costs the process little
// CPU and memory. The simulators' CPU is counted apart (they are child processes, reaped after
// each count); the load average is printed beside the figures, the machine's other work being
// what most disturbs them.

#include "benchSupport.h"
#include "simProcess.h"
#include "site/siteRun.h"
#include "siteBench.h"
#include "trust/history.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr int kCounts[] = {8, 16, 32, 64};
// Every bus holds the same site: a few alone show what one alone takes.
constexpr int kAlone = 3;

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
        buses[i]->session.start(
            withFolderTrust(buses[i]->session, [&ok, i](OperationContext& context) {
                const SiteBus bus = runSite(context, portName(static_cast<int>(i)), {});
                ok[i] = siteSucceeded(bus);
                if (!ok[i])
                    std::printf("bus %zu: %s %s\n", i + 1, siteOutcome(bus).reason.c_str(),
                                siteOutcome(bus).unit.c_str());
            }));
    for (auto& bus : buses)
        bus->session.wait();
    const double took = wallSeconds() - started;
    return std::all_of(ok.begin(), ok.end(), [](char o) { return o != 0; }) ? took : -took;
}

double childrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The process's resident memory in KiB (VmRSS of /proc/self/status).
long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    return 0;
}

std::string loadAverage() {
    std::ifstream load("/proc/loadavg");
    std::string one;
    load >> one;
    return one;
}

struct Count {
    std::size_t historyRecords = 0; // what the shared history file holds after the runs
    std::size_t historyFaults = 0;  // its lines that do not read as records
    double seconds = 0;
    double toolCpu = 0;
    double simCpu = 0;
    double kibPerBus = 0;
    std::string load;
};

Count atOnce(int count, const std::string& folder, const std::string& network) {
    Count measured;
    std::filesystem::remove(kHistoryFileName);
    const long before = residentKiB();
    const double simCpuBefore = childrenCpuSeconds();
    {
        std::vector<std::unique_ptr<SimProcess>> sims;
        std::vector<std::unique_ptr<BenchBus>> buses;
        for (int bus = 0; bus < count; ++bus) {
            sims.push_back(std::make_unique<SimProcess>(folder, portName(bus), network, kSiteBaud));
            buses.push_back(std::make_unique<BenchBus>(sims.back()->link()));
        }
        const double cpuStart = processCpuSeconds();
        measured.seconds = together(buses);
        measured.toolCpu = processCpuSeconds() - cpuStart;
        measured.kibPerBus = double(residentKiB() - before) / count;
        measured.load = loadAverage();
    }
    measured.simCpu = childrenCpuSeconds() - simCpuBefore;
    const HistoryRead history = ReadHistory();
    measured.historyRecords = history.records.size();
    measured.historyFaults = history.notes.size();
    return measured;
}

} // namespace

int main() {
    const SampleFolder folder;
    const std::string network = folder.file("site.json");
    std::ofstream(network) << kSite;
    std::printf("buses each a controller with three terminals (two behind), %u baud, one "
                "simulator process per bus (goals: at once / slowest alone <= 1.10, tool CPU per "
                "bus < 1%% of a core); %d cores\n",
                kSiteBaud, int(std::thread::hardware_concurrency()));

    std::vector<double> alone;
    for (int bus = 0; bus < kAlone; ++bus) {
        const SimProcess sim(folder.path().string(), portName(bus), network, kSiteBaud);
        std::vector<std::unique_ptr<BenchBus>> one;
        one.push_back(std::make_unique<BenchBus>(sim.link()));
        alone.push_back(together(one));
        std::printf("bus %d alone: %.2f s, load %s\n", bus + 1, alone.back(),
                    loadAverage().c_str());
        if (alone.back() < 0) return 1;
    }
    std::sort(alone.begin(), alone.end());
    const double slowest = alone.back();
    const double median = alone[kAlone / 2];

    for (const int count : kCounts) {
        const Count measured = atOnce(count, folder.path().string(), network);
        if (measured.seconds < 0) {
            std::printf("%d buses: a bus failed\n", count);
            return 1;
        }
        const double toolShare = measured.toolCpu / measured.seconds / count * 100;
        const double simShare = measured.simCpu / measured.seconds / count * 100;
        std::printf("%2d buses at once: %.2f s, slowest alone %.2f s, ratio %.3f (median %.3f); "
                    "tool CPU %.2f s, %.2f%% of a core per bus; simulators' CPU %.2f s, %.2f%% "
                    "per bus; tool memory %.0f KiB per bus; load %s\n",
                    count, measured.seconds, slowest, measured.seconds / slowest,
                    measured.seconds / median, measured.toolCpu, toolShare, measured.simCpu,
                    simShare, measured.kibPerBus, measured.load.c_str());
        std::printf("   history: %zu records, %zu lines that are not records\n",
                    measured.historyRecords, measured.historyFaults);
        const std::string buses = std::to_string(count) + " buses";
        reportRatio(buses + " at once / slowest bus alone (site run)", measured.seconds / slowest,
                    "<= 1.10");
        reportRatio("  tool CPU per bus, " + buses + " (% of a core)", toolShare, "< 1");
        reportRatio("  tool memory per bus, " + buses + " (MiB)", measured.kibPerBus / 1024, "");
    }
    std::printf("load average at the end: %s\n", loadAverage().c_str());
    return 0;
}
