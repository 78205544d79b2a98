// A hundred upgrades of one unit in one process, over a line that loses 5% of the replies:
// every one succeeds, and the process does not grow from one run to the next.

#include "oneTerminal.h"

#include <fstream>
#include <iostream>
#include <unistd.h>

using namespace sweep;

namespace {

constexpr int kRuns = 100;
constexpr int kSettledAfter = 10;
constexpr long kAllowedGrowthKiB = 1024;

constexpr char kLossyLine[] = R"({ "seed": 23, "faults": { "drop": 0.05 }, "controllers": [
  { "name": "c1", "la": "01", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "productId": 3, "version": "1.02" } ] } ] })";

long residentKiB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST(Soak, AHundredUpgradesOverALossyLineAllSucceedAndMemoryStaysFlat) {
    TempWorkingFolder folder;
    const FirmwareImage image = writeTerminalFile();
    Plan plan = oneTerminalPlan(image);
    plan.settings.forceUpgrade = true; // the same version again each time

    VirtualBench bench(simtest::networkFrom(kLossyLine));
    int succeeded = 0;
    long settledKiB = 0;
    std::vector<int> failedRuns;
    for (int run = 1; run <= kRuns; ++run) {
        const RunEnd end = bench.upgrade(plan.settings, plan.unitType, plan.upgradeType);
        if (end.done && plan.whatIsWrong(bench).empty())
            ++succeeded;
        else
            failedRuns.push_back(run);
        // The simulator's own records of every frame and command would grow with each run;
        // they are not the tool's.
        bench.network().frames.clear();
        bench.network().broadcasts.clear();
        bench.unit("t1").commands.clear();
        if (run == kSettledAfter) settledKiB = residentKiB();
    }
    const long lastKiB = residentKiB();
    std::cout << "soak: " << kRuns << " upgrades, " << succeeded << " succeeded; resident "
              << settledKiB << " KiB after run " << kSettledAfter << ", " << lastKiB
              << " KiB after run " << kRuns << " (" << (lastKiB - settledKiB) << " KiB)\n";
    EXPECT_EQ(succeeded, kRuns) << "failed runs: " << ::testing::PrintToString(failedRuns);
    EXPECT_LE(lastKiB - settledKiB, kAllowedGrowthKiB);
}

} // namespace
