// A sample of the sweep's cells on the real clock: over a real pseudo-terminal, and through
// nexalo-cli as a process, whose exit status says what the run came to.

#include "oneTerminal.h"
#include "tests/cli/runProcess.h"

#include <iostream>
#include <thread>

using namespace sweep;

namespace {

// Off longer than the tries of a page last, shorter than those of the identification: a cut
// at "0A" is ridden out, one at a page fails the run. Short enough to keep the cells brief.
constexpr std::uint32_t kOffMs = 5000;

// The number (from 1) of the nth frame of a clean run whose command starts with prefix.
std::uint32_t frameOf(const std::string& prefix, int nth) {
    VirtualBench clean(testkit::networkFrom(kOneTerminal));
    const Plan plan = oneTerminalPlan(FirmwareImage{});
    clean.upgrade(plan.settings, plan.unitType, plan.upgradeType);
    const std::vector<sim::ReceivedFrame>& frames = clean.network().frames;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].command.starts_with(prefix) && --nth == 0)
            return static_cast<std::uint32_t>(i + 1);
    ADD_FAILURE() << "no frame " << prefix;
    return 0;
}

TEST(SingleUnitSweepOverPty, ACutAtIdentificationIsRiddenOutAndOneAtAPageIsRepairedLater) {
    WorkingFolder folder;
    const FirmwareImage image = writeTerminalFile();
    Plan plan = oneTerminalPlan(image);
    plan.offMs = kOffMs;

    Tally tally("single over pty");
    for (std::uint32_t k : {frameOf(cmd::UnitInfo, 1), frameOf(cmd::WritePageCode, 3)}) {
        sim::PtySimulator simulator(oneTerminalCutAtFrame(k, kOffMs));
        const std::optional<std::string> device = simulator.start();
        ASSERT_TRUE(device) << simulator.error();
        PtyBench bench(simulator, *device);
        runCell(tally, plan, bench, "frame " + std::to_string(k));
    }
    std::cout << tally.report();
    EXPECT_EQ(tally.runs, 2);
    EXPECT_EQ(tally.completed, 1) << tally.report();
    EXPECT_EQ(tally.failed, 1) << tally.report();
    EXPECT_TRUE(tally.findings.empty()) << tally.report();
}

TEST(SingleUnitSweepThroughTheCli, TheCutRunExitsWithOneAndTheNextWithZero) {
    WorkingFolder folder;
    const FirmwareImage image = writeTerminalFile();
    const std::uint32_t k = frameOf(cmd::WritePageCode, 2);
    sim::PtySimulator simulator(oneTerminalCutAtFrame(k, kOffMs));
    ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();
    const std::vector<std::string> args = {"upgrade", "--unit-type", "terminal", "--controller",
                                           "01",      "--terminal",  "01"};

    const ProcessResult first = runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    EXPECT_EQ(first.exitStatus, 1) << first.out;
    EXPECT_TRUE(first.out.ends_with("No response!\nFinished.\n")) << first.out;
    EXPECT_NE(unitProblem(*simulator.unit("t1"), image), "");

    std::this_thread::sleep_for(std::chrono::milliseconds(kOffMs));
    const ProcessResult second = runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    EXPECT_EQ(second.exitStatus, 0) << second.out;
    EXPECT_NE(second.out.find("Upgrade OK.\n"), std::string::npos) << second.out;
    EXPECT_EQ(unitProblem(*simulator.unit("t1"), image), "");
}

} // namespace
