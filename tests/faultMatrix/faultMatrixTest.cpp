// Every procedure under every line fault, a hundred seeds per cell, in virtual time, with no
// extra attempts (each request only as often as its own retries say) and with 3 and 5. No run
// may report a success the units contradict, and none may outlast the bound its time-outs
// allow; with extra attempts the runs must also get through a lossy line.

#include "cellRun.h"
#include "tests/link/watchdog.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace faultmatrix;

namespace {

// Enough runs per cell that a fault with a share of a few percent meets every step, and that
// a share of completed runs says something.
constexpr std::uint64_t kFirstSeed = 11;
constexpr int kSeeds = 100;

// What the extra attempts must carry: at least this many of the hundred runs complete.
struct Goal {
    int extraAttempts;
    const char* row;
    int completed;
};
constexpr Goal kGoals[] = {{3, "drop 5%", 99}, {3, "bad CRC 5%", 99}, {5, "drop 20%", 90}};

struct MatrixCell {
    Column column;
    int extraAttempts;
};
void PrintTo(MatrixCell cell, std::ostream* out) {
    *out << columnName(cell.column) << ", " << cell.extraAttempts << " extra attempts";
}

struct CellCounts {
    int counts[6] = {};
    std::uint64_t longestMs = 0;
    std::uint64_t boundMs = 0;
    double realMs = 0;
    unsigned lineEvents = 0;
    int of(Verdict v) const { return counts[static_cast<int>(v)]; }
};

void print(const FaultRow& row, MatrixCell at, const CellCounts& c) {
    std::printf(
        "| %-18s | %-15s | extra %d | completed %3d | failed %3d | silent %d | missed %2d | "
        "false %d | hang %d | longest %6.1f s of %8.1f s | line events %6u | real %5.0f "
        "ms |\n",
        row.name, columnName(at.column), at.extraAttempts, c.of(Verdict::Completed),
        c.of(Verdict::FailedClearly), c.of(Verdict::FailedSilent), c.of(Verdict::Missed),
        c.of(Verdict::FalseSuccess), c.of(Verdict::Hang), c.longestMs / 1000.0, c.boundMs / 1000.0,
        c.lineEvents, c.realMs);
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

void checkGoals(const FaultRow& row, MatrixCell at, const CellCounts& cell) {
    for (const Goal& goal : kGoals) {
        if (goal.extraAttempts != at.extraAttempts || std::string(goal.row) != row.name) continue;
        EXPECT_GE(cell.of(Verdict::Completed), goal.completed)
            << row.name << " with " << at.extraAttempts << " extra attempts";
    }
}

class FaultMatrix : public ::testing::TestWithParam<MatrixCell> {
protected:
    void SetUp() override { writeMatrixFirmware(); }
    WorkingFolder folder;
};

TEST_P(FaultMatrix, NoFalseSuccessAndNoHangUnderAnyLineFault) {
    const MatrixCell at = GetParam();
    const Column column = at.column;
    Watchdog watchdog(std::chrono::minutes(4), columnName(column));
    unsigned cleanEvents = 0;
    for (const FaultRow& row : kRows) {
        CellCounts cell;
        // Rows with one kind of fault each would otherwise draw the very same dice.
        const std::uint64_t firstSeed =
            kFirstSeed + 100 * static_cast<std::uint64_t>(&row - kRows.data());
        for (std::uint64_t seed = firstSeed; seed < firstSeed + kSeeds; ++seed) {
            const RunRecord run = runCell(column, row, seed, at.extraAttempts);
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
        print(row, at, cell);
        checkRowTookEffect(row, cell, cleanEvents);
        checkGoals(row, at, cell);
    }
}

std::vector<MatrixCell> everyCell() {
    std::vector<MatrixCell> cells;
    for (Column column : kColumns)
        for (int extra : {0, 3, 5})
            cells.push_back({column, extra});
    return cells;
}

std::string cellName(const ::testing::TestParamInfo<MatrixCell>& info) {
    std::string name;
    switch (info.param.column) {
    case Column::Single:
        name = "SingleUnit";
        break;
    case Column::GlobalTerminals:
        name = "AllTerminalsAtOnce";
        break;
    case Column::GlobalControllers:
        name = "AllControllersAtOnce";
        break;
    case Column::Remote:
        name = "Remote";
        break;
    case Column::Survey:
        name = "Survey";
        break;
    }
    return name + "_Extra" + std::to_string(info.param.extraAttempts);
}

INSTANTIATE_TEST_SUITE_P(EveryProcedure, FaultMatrix, ::testing::ValuesIn(everyCell()), cellName);

} // namespace
