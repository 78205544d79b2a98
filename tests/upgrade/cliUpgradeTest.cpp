// nexalo-cli upgrade as a process against the simulated network behind COM1.

#include "image/fileSelection.h"
#include "runProcess.h"
#include "tests/support/folderTrust.h"
#include "tests/support/workingFolder.h"
#include "upgradeFixture.h"

#include <algorithm>
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

    WorkingFolder folder;
    sim::PtySimulator simulator{networkFrom(
        networkWith(std::string(kPlainTerminal) +
                    R"(, { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3,
               "version": "1.02" })"))};
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

// Ctrl-C while the controllers are scanned ends the scan at the LA being asked, and the run
// closes before any unit is put into upgrade mode.
TEST_F(CliUpgrade, CtrlCDuringTheScanPutsNoUnitIntoUpgradeMode) {
    const auto asked = [this](const std::string& address) {
        const sim::Network seen = simulator.snapshot();
        return std::ranges::any_of(seen.frames,
                                   [&](const auto& f) { return f.address == address; });
    };
    std::chrono::steady_clock::time_point interrupted;
    const ProcessResult result =
        cli({"upgrade", "--unit-type", "controller-ab", "--scope", "all"}, [&](pid_t child) {
            for (int wait = 0; wait < 2000 && !asked("0300"); ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            interrupted = std::chrono::steady_clock::now();
            kill(child, SIGINT);
        });
    const auto ended = std::chrono::steady_clock::now() - interrupted;
    // The simulator's serving thread may still be reading the run's last frames on a busy host.
    const auto closed = [this] {
        const sim::Network seen = simulator.snapshot();
        return std::ranges::any_of(seen.frames,
                                   [](const auto& f) { return f.command == cmd::UpgradeRunEnd; });
    };
    for (int wait = 0; wait < 400 && !closed(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.out.starts_with(" LA    Unit Type\n[01] - ")) << result.out;
    EXPECT_TRUE(result.out.ends_with("\nFinished.\n")) << result.out;
    const sim::Network seen = simulator.snapshot();
    EXPECT_TRUE(std::ranges::none_of(
        seen.frames, [](const auto& f) { return f.command.starts_with(cmd::EnterUpgrade); }));
    EXPECT_FALSE(simulator.unit("c1")->upgradeMode);
    ASSERT_FALSE(seen.frames.empty());
    EXPECT_EQ(seen.frames.back().command, cmd::UpgradeRunEnd);
    EXPECT_FALSE(asked("0600")); // the LA being asked had its answer, and no other was asked
    EXPECT_LT(ended, std::chrono::seconds(3));
}

// The image the tool reads for the terminals, to compare their flash with.
FirmwareImage terminalImage() {
    FirmwareImage image;
    RecordingConsole quiet;
    EXPECT_TRUE(LoadApplicationFile(image, quiet, 3, UnitType::Terminal, UpgradeType::SingleUnit,
                                    folderTrust()));
    return image;
}

class CliUpgradeOfTwoTerminals : public CliUpgrade {
protected:
    void expectBothUpgraded(const ProcessResult& result) {
        EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
        EXPECT_TRUE(result.out.ends_with("Finished.\n")) << result.out;
        const FirmwareImage image = terminalImage();
        for (const char* name : {"t1", "t2"}) {
            SCOPED_TRACE(name);
            expectUnitRunsImage(*simulator.unit(name), image);
        }
    }
};

TEST_F(CliUpgradeOfTwoTerminals, AllAtOnce) {
    expectBothUpgraded(
        cli({"upgrade", "--unit-type", "terminal", "--scope", "all", "--controller=01"}));
}

TEST_F(CliUpgradeOfTwoTerminals, OneAtATime) {
    expectBothUpgraded(cli({"upgrade", "--scope", "one-at-a-time", "--controller", "01"}));
}

TEST_F(CliUpgrade, AdvancedWritesTheFileGiven) {
    const ProcessResult result = cli({"upgrade", "--scope", "advanced", "--file", "Terminal-K2.hex",
                                      "--controller", "01", "--terminal", "01"});
    EXPECT_EQ(result.exitStatus, 0) << result.out;
    EXPECT_TRUE(result.out.ends_with("Resetting unit...\nFinished.\n")) << result.out;
    FirmwareImage image = terminalImage();
    const sim::Unit terminal = *simulator.unit("t1");
    EXPECT_EQ(
        terminal.flash.read(0x4000, 256),
        std::vector<std::uint8_t>(image.bytes.begin() + 0x4000, image.bytes.begin() + 0x4100));
}

TEST_F(CliUpgrade, AChoiceOutsideTheListIsAUsageError) {
    const ProcessResult result = cli({"upgrade", "--scope", "everything"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    EXPECT_EQ(result.out, "");
}

} // namespace
