// A single-unit upgrade with the unit's power cut at every frame of the run in turn.

#include "oneTerminal.h"

#include <iostream>

using namespace sweep;

namespace {

// A dip of a few seconds, which the retries of most steps outlast, and a long cut, which none
// does.
class SingleUnitSweep : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(SingleUnitSweep, EveryCutEndsInATrueSuccessOrAFailureTheNextRunRepairs) {
    WorkingFolder folder;
    const FirmwareImage image = writeTerminalFile();
    Plan plan = oneTerminalPlan(image);
    plan.offMs = GetParam();

    VirtualBench clean(testkit::networkFrom(kOneTerminal));
    ASSERT_TRUE(clean.upgrade(plan.settings, plan.unitType, plan.upgradeType).done);
    ASSERT_EQ(plan.whatIsWrong(clean), "");
    const auto frames = static_cast<std::uint32_t>(clean.network().frames.size());

    Tally tally("single, " + std::to_string(plan.offMs / 1000) + " s off");
    for (std::uint32_t k = 1; k <= frames; ++k) {
        VirtualBench bench(oneTerminalCutAtFrame(k, plan.offMs));
        runCell(tally, plan, bench, "frame " + std::to_string(k));
    }
    std::cout << tally.report();
    EXPECT_EQ(tally.runs, static_cast<int>(frames));
    EXPECT_EQ(tally.falseSuccesses, 0) << tally.report();
    EXPECT_EQ(tally.failedRecoveries, 0) << tally.report();
    EXPECT_EQ(tally.unended, 0) << tally.report();
    EXPECT_GT(tally.completed, 0);
    EXPECT_GT(tally.failed, 0);
}

INSTANTIATE_TEST_SUITE_P(ShortAndLongCuts, SingleUnitSweep, ::testing::Values(3000u, 30000u));

} // namespace
