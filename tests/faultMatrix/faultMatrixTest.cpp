// Every procedure under every line fault, a few seeds per cell, in virtual time. No run may
// report a success the units contradict, and none may outlast the bound its time-outs allow.

#include "cellRun.h"
#include "tests/support/workingFolder.h"
#include "tests/link/watchdog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace faultmatrix;

namespace {

// Enough runs per cell that a fault with a share of a few percent meets every step.
constexpr std::uint64_t kFirstSeed = 11;
constexpr int kSeeds = 20;

struct CellCounts {
    int counts[6] = {};
    std::uint64_t longestMs = 0;
    std::uint64_t boundMs = 0;
    double realMs = 0;
    unsigned lineEvents = 0;
    int of(Verdict v) const { return counts[static_cast<int>(v)]; }
};

void print(const FaultRow& row, Column column, const CellCounts& c) {
    std::printf("| %-18s | %-15s | completed %2d | failed %2d | silent %d | missed %d | false %d | "
                "hang %d | longest %6.1f s of %7.1f s | line events %5u | real %4.0f ms |\n",
                row.name, columnName(column), c.of(Verdict::Completed),
                c.of(Verdict::FailedClearly), c.of(Verdict::FailedSilent), c.of(Verdict::Missed),
                c.of(Verdict::FalseSuccess), c.of(Verdict::Hang), c.longestMs / 1000.0,
                c.boundMs / 1000.0, c.lineEvents, c.realMs);
    std::fflush(stdout);
}

// The clean line completes every run; every other row shows on the line (late replies, all
// taken within the raised time-out, show only in the run's time).
void checkRowTookEffect(const FaultRow& row, const CellCounts& cell, unsigned& cleanEvents) {
    if (&row == &kRows.front()) {
        EXPECT_EQ(cell.of(Verdict::Completed), kSeeds) << row.name;
        cleanEvents = cell.lineEvents;
    } else if (row.faults.delayMs == 0) {
        EXPECT_GT(cell.lineEvents, cleanEvents) << row.name << ": the faults never showed";
    }
}

class FaultMatrix : public ::testing::TestWithParam<Column> {
protected:
    void SetUp() override { writeMatrixFirmware(); }
    WorkingFolder folder;
};

TEST_P(FaultMatrix, NoFalseSuccessAndNoHangUnderAnyLineFault) {
    const Column column = GetParam();
    Watchdog watchdog(std::chrono::minutes(2), columnName(column));
    unsigned cleanEvents = 0;
    for (const FaultRow& row : kRows) {
        CellCounts cell;
        // Rows with one kind of fault each would otherwise draw the very same dice.
        const std::uint64_t firstSeed =
            kFirstSeed + 100 * static_cast<std::uint64_t>(&row - kRows.data());
        for (std::uint64_t seed = firstSeed; seed < firstSeed + kSeeds; ++seed) {
            const RunRecord run = runCell(column, row, seed);
            ++cell.counts[static_cast<int>(run.verdict)];
            cell.longestMs = std::max(cell.longestMs, run.virtualMs);
            cell.boundMs = std::max(cell.boundMs, run.boundMs);
            cell.realMs += run.realMs;
            cell.lineEvents += run.lineEvents;
            if (run.verdict != Verdict::Completed && run.verdict != Verdict::FailedClearly &&
                run.verdict != Verdict::Missed)
                std::printf("  seed %llu: %s\n", static_cast<unsigned long long>(seed),
                            run.detail.c_str());
            EXPECT_NE(run.verdict, Verdict::FalseSuccess)
                << row.name << ", seed " << seed << ": " << run.detail;
            EXPECT_NE(run.verdict, Verdict::Hang)
                << row.name << ", seed " << seed << ": " << run.detail;
            EXPECT_NE(run.verdict, Verdict::FailedSilent)
                << row.name << ", seed " << seed << ": " << run.detail;
        }
        print(row, column, cell);
        checkRowTookEffect(row, cell, cleanEvents);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryProcedure, FaultMatrix, ::testing::ValuesIn(kColumns),
                         [](const ::testing::TestParamInfo<Column>& info) {
                             switch (info.param) {
                             case Column::Single:
                                 return std::string("SingleUnit");
                             case Column::GlobalTerminals:
                                 return std::string("AllTerminalsAtOnce");
                             case Column::GlobalControllers:
                                 return std::string("AllControllersAtOnce");
                             case Column::Remote:
                                 return std::string("Remote");
                             case Column::Survey:
                                 return std::string("Survey");
                             }
                             return std::string();
                         });

} // namespace
