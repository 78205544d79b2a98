// A sample of the matrix over a real pseudo-terminal on the real clock: the same verdicts as in
// virtual time, with the port, the termios settings and the kernel's buffers in the path.

#include "cells.h"
#include "sim/ptySimulator.h"
#include "surveyJudge.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"
#include "tools/networkSurvey.h"
#include "upgrade/dispatcher.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace faultmatrix;

namespace {

struct WireBench {
    WireBench(Column column, const FaultRow& row, std::uint64_t seed)
        : bus(console, networkOf(column, row, seed)) {
        bus.link.setMinimumTimeout(row.minimumTimeout);
    }
    LineBudget budget(const FaultRow& row) const {
        return {row.minimumTimeout, row.faults.delayMs,
                baudRateBitsPerSecond(bus.port.ComPortSpeed())};
    }

    RecordingConsole console;
    testkit::PtyBus bus;
    sim::PtySimulator& simulator = bus.simulator;
    TSerialPort& port = bus.port;
};

RunRecord upgradeOverPty(Column column, const FaultRow& row, std::uint64_t seed) {
    WireBench bench(column, row, seed);
    const CellSetup setup = setupOf(column);
    FirmwareImage image;
    FoundUnits units;
    UpgradeRun run{bench.bus.context(), setup.settings, setup.scope, image, units};
    bool reported = false;
    return guarded(
        bench.console, systemClock(), boundOf(column, bench.budget(row)),
        [&] {
            EXPECT_TRUE(bench.port.OpenPort());
            bench.port.SuspendPolling();
            reported = RunUpgrade(run).succeeded();
            bench.port.ClosePort();
        },
        [&](std::string& detail) {
            return judgeUpgradeRun(column, bench.simulator.snapshot(), reported,
                                   bench.console.statusLines, detail);
        });
}

RunRecord surveyOverPty(const FaultRow& row, std::uint64_t seed) {
    WireBench bench(Column::Survey, row, seed);
    auto table = std::make_unique<SurveyTable>();
    OperationContext context = bench.bus.context();
    return guarded(
        bench.console, systemClock(), boundOf(Column::Survey, bench.budget(row)),
        [&] { surveyBus(context, *table); },
        [&](std::string& detail) {
            return judgeSurvey(bench.simulator.snapshot(), *table, bench.console.reportLines,
                               detail);
        });
}

void expectSound(const RunRecord& run, const char* what) {
    std::printf("| %-34s | %-9s | %5.1f s of %6.1f s | %s\n", what, verdictName(run.verdict),
                run.realMs / 1000.0, run.boundMs / 1000.0, run.detail.c_str());
    EXPECT_NE(run.verdict, Verdict::FalseSuccess) << what << ": " << run.detail;
    EXPECT_NE(run.verdict, Verdict::Hang) << what << ": " << run.detail;
    EXPECT_NE(run.verdict, Verdict::FailedSilent) << what << ": " << run.detail;
}

class FaultMatrixOverPty : public ::testing::Test {
protected:
    void SetUp() override { writeMatrixFirmware(); }
    WorkingFolder folder;
};

TEST_F(FaultMatrixOverPty, SingleUnitUpgradeLosingRepliesOrAmidStaleOnes) {
    expectSound(upgradeOverPty(Column::Single, rowNamed("drop 5%"), 11),
                "single unit, drop 5%, seed 11");
    expectSound(upgradeOverPty(Column::Single, rowNamed("stale seq 10%"), 12),
                "single unit, stale seq 10%, seed 12");
}

TEST_F(FaultMatrixOverPty, SurveyLosingRepliesAmidNoiseOrLate) {
    expectSound(surveyOverPty(rowNamed("drop 5%"), 11), "survey, drop 5%, seed 11");
    expectSound(surveyOverPty(rowNamed("noise 20%"), 12), "survey, noise 20%, seed 12");
    expectSound(surveyOverPty(rowNamed("late 300ms/min 500"), 13),
                "survey, late 300 ms/min 500, seed 13");
}

} // namespace
