// The new commands of nexalo-cli, each run once as a process against the simulated network
// behind COM1 in its working folder.

#include "diagnosticsFixture.h"
#include "tests/cli/runProcess.h"
#include "tests/support/workingFolder.h"

#include <filesystem>

using namespace diagtest;

namespace {

const char* kNetwork = R"({
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5,
      "fastPoll": { "units": 64 },
      "terminals": [ { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3 } ] },
    { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "refusePort2": true }
  ]
})";

class CliAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();
    }
    ProcessResult cli(const std::vector<std::string>& args) {
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    }
    std::vector<SentFrame> frames(std::size_t atLeast = 0) {
        std::vector<SentFrame> seen = framesOf(simulator.snapshot());
        for (int wait = 0; seen.size() < atLeast && wait < 300; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            seen = framesOf(simulator.snapshot());
        }
        return seen;
    }
    sim::Unit unit(const char* name) { return simulator.unit(name).value_or(sim::Unit{}); }

    WorkingFolder folder;
    sim::PtySimulator simulator{networkFrom(kNetwork)};
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(CliAgainstSimulator, CommsTestSurveysFirstThenTestsTheSelectedUnits) {
    const ProcessResult result = cli({"comms-test", "--cla", "01ff", "--cycles", "1"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(contains(result.out, ">> CONTROLLERS <<")) << result.out;
    EXPECT_TRUE(contains(result.out,
                         "Unit Logical Address [CCTT]: 0101\n"
                         "Pass rate: 100%    [1/0][1/0][1/0][1/0][3/0][3/0][3/0][3/0]\n"))
        << result.out;
    EXPECT_FALSE(contains(result.out, "[CCTT]: 0200"));
    // Piped, each label change is one line.
    EXPECT_TRUE(contains(result.out, "\nPass rate: 100%  [32/0]\nCycles: 1\n"));
    EXPECT_TRUE(result.out.ends_with("Finished.\n"));
}

TEST_F(CliAgainstSimulator, FastPollShowsTheDisplayUntilTheTimeIsUp) {
    const ProcessResult result = cli({"fast-poll", "--la", "01", "--seconds", "1"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with(
        "# Monitoring of low-level Fast Poll communication timeouts       #\n"
        "  Terminal LA: 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 \n"
        "       Online: ##                                             \n"))
        << result.out;
    EXPECT_TRUE(result.out.ends_with("Finished.\n"));
}

TEST_F(CliAgainstSimulator, MaintenanceCommandsAndTheirExitStatus) {
    auto result = cli({"set-la", "--fixed-address", "20000101", "--terminal-la", "0105"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "Done!\n");
    EXPECT_EQ(unit("t1").la, 0x05);

    result = cli({"set-message", "--controller", "01", "--line1", "Door \"A\"", "--line3", "\\"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(unit("c1").message,
              (std::vector<std::string>{"Door \"A\"        ", std::string(16, ' '),
                                        "\\" + std::string(15, ' ')}));

    result = cli({"set-port2", "--controller", "02", "--mode", "rs232"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "Failed!\n");

    const std::size_t before = frames().size();
    result = cli({"clear-memory", "--controller", "01"});
    EXPECT_EQ(result.exitStatus, 1); // not confirmed
    EXPECT_EQ(result.out, "Are you sure?\n");
    EXPECT_EQ(frames().size(), before);
    result = cli({"clear-memory", "--all", "--yes"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "Are you sure?\nUnit will reset then Clear Memory +/- 30sec.\n");

    result = cli({"reset-network"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    const auto sent = frames(before + 3);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[sent.size() - 2], (SentFrame{"FFFF", "08"}));
    EXPECT_EQ(sent.back(), (SentFrame{"FF00", "08"}));
}

TEST_F(CliAgainstSimulator, UsageErrorsSayWhyOnOneLine) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set-la", "--fixed-address", "20000101"},
          {"clear-memory"},
          {"set-port2", "--mode", "rs422"},
          {"set-message", "--line1", "seventeen chars!!"}}) {
        const ProcessResult result = cli(args);
        EXPECT_EQ(result.exitStatus, 2) << args.front();
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_TRUE(frames().empty());
}
