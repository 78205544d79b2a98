#include "link/transaction.h"
#include "ptyPeer.h"
#include "runProcess.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>

namespace {

ProcessResult cli(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    return runProcess(NEXALO_CLI_PATH, args, folder.string());
}

std::size_t countLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

} // namespace

TEST(CliProbe, MeasuresAUnitBehindCOM1InTheWorkingFolder) {
    constexpr int kDelayMs = 40;
    PtyPeer peer;
    peer.setResponder([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        return {{kDelayMs, PtyPeer::statusReplyTo(frame)}};
    });
    peer.start();
    WorkingFolder folder;
    std::filesystem::create_symlink(peer.devicePath(), folder.path() / "COM1");
    std::ofstream(folder.path() / Transaction::kCommsLogName).close();

    const ProcessResult result = cli({"probe", "--address", "02a5"}, folder.path());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(result.out, match, std::regex("([0-9]+) msec\n"))) << result.out;
    const int measured = std::stoi(match[1].str());
    EXPECT_GE(measured, kDelayMs);
    EXPECT_LE(measured, kDelayMs + 40);
    const auto frames = peer.frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[0].substr(7, 4), "02A5");
    EXPECT_EQ(countLines((folder.path() / Transaction::kCommsLogName).string()), 10u);
}

TEST(CliProbe, AFailingCommsLogEndsTheCommandWithItsError) {
    PtyPeer peer;
    peer.start();
    WorkingFolder folder;
    std::filesystem::create_symlink(peer.devicePath(), folder.path() / "COM1");
    std::filesystem::create_directory(folder.path() / Transaction::kCommsLogName);
    const ProcessResult result = cli({"probe"}, folder.path());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, std::string(std::strerror(EISDIR)) + "\n");
    EXPECT_TRUE(peer.frames().empty()); // the request line is logged before anything is sent
}

TEST(CliProbe, ASecondCtrlCEndsAtOnceAndLeavesTheLineFree) {
    PtyPeer silentPeer;
    WorkingFolder folder;
    std::filesystem::create_symlink(silentPeer.devicePath(), folder.path() / "COM1");
    bool runningAfterFirst = false;
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult result =
        runProcess(NEXALO_CLI_PATH, {"probe"}, folder.path().string(), [&](pid_t child) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(child, SIGINT); // the probe has no checkpoint: it goes on
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            runningAfterFirst = waitpid(child, nullptr, WNOHANG) == 0;
            kill(child, SIGINT);
        });
    // Unanswered, the probe would wait two times five seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_TRUE(runningAfterFirst);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.out.empty());
    // Ended without closing the port: the next program must still be let in.
    int exclusive = -1;
    ASSERT_EQ(ioctl(silentPeer.deviceSide(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST(CliProbe, FailsWhenThePortDoesNotOpen) {
    WorkingFolder folder;
    std::filesystem::create_symlink("/nonexistent/device", folder.path() / "COM2");
    for (const auto& port : {"COM2", "/nonexistent/device"}) {
        const ProcessResult result = cli({"--port", port, "probe"}, folder.path());
        EXPECT_EQ(result.exitStatus, 1) << port;
        // The reason names the device and the ports there are, the working folder's first.
        const std::string reason =
            std::string(port) + ": No such file or directory. " + "Serial ports here: COM2";
        EXPECT_EQ(result.out.rfind("Failed to open COM port\n" + reason, 0), 0u) << result.out;
        // Nothing was measured, so no result follows the error.
        EXPECT_TRUE(result.out.ends_with(".\n")) << result.out;
        EXPECT_EQ(result.out.find("msec"), std::string::npos) << result.out;
    }
}

TEST(CliUsage, RejectsWhatItDoesNotUnderstandWithOneLine) {
    WorkingFolder folder;
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"frobnicate"},
        {"--baud", "14400", "probe"},
        {"--port", "COM17", "probe"},
        {"--port=COM0", "probe"},
        {"--min-timeout", "5001", "probe"},
        {"--min-timeout"},
        {"probe", "--address", "01G0"},
        {"probe", "--address", "010"},
        {"probe", "--address"},
        {"probe", "--cycles", "3"},
    };
    for (const auto& args : mistakes) {
        const ProcessResult result = cli(args, folder.path());
        const std::string shown = args.empty() ? "(nothing)" : args.front() + " ...";
        EXPECT_EQ(result.exitStatus, 2) << shown;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << shown << result.err;
        EXPECT_TRUE(result.out.empty()) << shown;
    }
}

TEST(CliUsage, HelpOnEveryLevel) {
    WorkingFolder folder;
    const ProcessResult top = cli({"--help"}, folder.path());
    EXPECT_EQ(top.exitStatus, 0);
    EXPECT_NE(top.out.find("probe"), std::string::npos);
    EXPECT_NE(top.out.find("--min-timeout"), std::string::npos);
    const ProcessResult command = cli({"--baud=9600", "probe", "--help"}, folder.path());
    EXPECT_EQ(command.exitStatus, 0);
    EXPECT_NE(command.out.find("--address"), std::string::npos);
    EXPECT_EQ(command.out.find("--min-timeout"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / Transaction::kCommsLogName));
}
