// nexalo-cli upgrade as a process against the simulated network behind COM1.

#include "runProcess.h"
#include "tempFolder.h"
#include "upgradeFixture.h"

#include <signal.h>
#include <thread>

using namespace upgradetest;

namespace {

class CliUpgrade : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();
    }
    ProcessResult cli(const std::vector<std::string>& args,
                      const std::function<void(pid_t)>& whileRunning = {}) {
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string(), whileRunning);
    }
    static std::string joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }

    TempWorkingFolder folder;
    sim::PtySimulator simulator{networkFrom(networkWith(kPlainTerminal))};
};

TEST_F(CliUpgrade, ASingleUnitUpgradesThenNeedsNoMore) {
    const std::vector<std::string> args = {"upgrade", "--unit-type", "terminal", "--controller",
                                           "01",      "--terminal",  "01"};
    const ProcessResult first = cli(args);
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, joined({"Find unit [0101]...", "V2.21  Terminal-K2.hex",
                                 "Unit 0101 Entering Upgrade mode...", "BB v0100:App v0102",
                                 "In Upgrade mode", "Erase Flash...", "Write Flash...",
                                 "Resetting unit...", "Upgrade OK.", "Reset unit.", "Finished."}));
    EXPECT_EQ(first.err, ""); // no progress line when standard error is no terminal
    EXPECT_EQ(simulator.unit("t1")->version, 0x0215);

    const ProcessResult second = cli(args);
    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_EQ(second.out, joined({"Find unit [0101]...", "V2.21  Terminal-K2.hex",
                                  "Upgrade not necessary.", "Finished."}));
}

TEST_F(CliUpgrade, CtrlCStopsThePagesAndTheRunFails) {
    const ProcessResult result =
        cli({"upgrade", "--controller", "01", "--terminal", "01"}, [this](pid_t child) {
            for (int wait = 0; wait < 2000; ++wait) {
                if (simulator.unit("t1")->flash.pagesWritten() >= 5) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            kill(child, SIGINT);
        });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.out.ends_with("Write Flash...\nFinished.\n")) << result.out;
    EXPECT_EQ(simulator.unit("t1")->resets, 0);
}

TEST_F(CliUpgrade, AChoiceOutsideTheListIsAUsageError) {
    const ProcessResult result = cli({"upgrade", "--scope", "everything"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    EXPECT_EQ(result.out, "");
}

} // namespace
