// nexalo-cli with the adapter pulled out under its run: the line once on standard output,
// exit status 1, no processor time spent while it ends, and a working run once the adapter is
// back behind the same COM1.

#include "cpuWatch.h"
#include "runProcess.h"
#include "tests/support/workingFolder.h"
#include "tests/upgrade/upgradeFixture.h"

#include <chrono>
#include <thread>

using namespace upgradetest;

namespace {

constexpr double kMaxCpuShare = 0.05;
constexpr auto kCpuWindow = std::chrono::milliseconds(1000);
constexpr char kLostLine[] = "Serial line lost: Input/output error\n";

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class CliUnplug : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();
    }
    ProcessResult cli(const std::vector<std::string>& args) {
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    }
    // Runs the tool and measures its share of a core from the loss over the window (its
    // clock-tick times: 1% resolution over the second).
    ProcessResult cliMeasured(const std::vector<std::string>& args) {
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string(), [this](pid_t child) {
            using Clock = std::chrono::steady_clock;
            const auto deadline = Clock::now() + std::chrono::seconds(60);
            while (!simulator.unplugged() && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const auto lost = Clock::now();
            const double cpuAtLoss = processCpu(child).seconds;
            while (!processCpu(child).ended && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            msToEnd = std::chrono::duration<double, std::milli>(Clock::now() - lost).count();
            std::this_thread::sleep_until(lost + kCpuWindow);
            const double elapsed = std::chrono::duration<double>(Clock::now() - lost).count();
            cpuShare = (processCpu(child).seconds - cpuAtLoss) / elapsed;
            std::cout << "nexalo-cli: ended " << msToEnd << " ms after the loss; CPU share over "
                      << elapsed * 1000 << " ms: " << cpuShare * 100 << "%\n";
        });
    }

    WorkingFolder folder;
    sim::PtySimulator simulator{networkFrom(networkWith(kPlainTerminal))};
    double cpuShare = 1;
    double msToEnd = 0;
};

TEST_F(CliUnplug, AnUpgradeCutAmidItsPagesFailsWithTheLineOnceThenTheNextRunWorks) {
    const std::vector<std::string> args = {"upgrade", "--controller", "01", "--terminal", "01"};
    simulator.unplugAtRequest(20);
    const ProcessResult cut = cliMeasured(args);
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_EQ(occurrences(cut.out, "Serial line lost"), 1) << cut.out;
    EXPECT_TRUE(cut.out.ends_with(std::string(kLostLine) + "No response!\nFinished.\n")) << cut.out;
    EXPECT_LT(cpuShare, kMaxCpuShare);
    EXPECT_LT(msToEnd, 500);

    ASSERT_TRUE(simulator.replug()) << simulator.error();
    const ProcessResult again = cli(args);
    EXPECT_EQ(again.exitStatus, 0) << again.out;
    EXPECT_NE(again.out.find("Upgrade OK.\n"), std::string::npos);
}

TEST_F(CliUnplug, ASurveyCutFailsWithTheLineOnce) {
    simulator.unplugAtRequest(6);
    const ProcessResult cut = cliMeasured({"survey"});
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_EQ(occurrences(cut.out, kLostLine), 1) << cut.out;
    EXPECT_TRUE(cut.out.ends_with("Finished.\n")) << cut.out;
    EXPECT_LT(cpuShare, kMaxCpuShare);
}

// A command that reports no outcome of its own still fails when its request never left.
TEST_F(CliUnplug, AMessageThatNeverLeftIsAFailure) {
    simulator.unplugAtRequest(1);
    const ProcessResult cut = cli({"set-message", "--controller", "01", "--line1", "CLOSED"});
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_EQ(cut.out, kLostLine);
}

} // namespace
