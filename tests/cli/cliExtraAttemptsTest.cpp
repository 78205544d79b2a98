// --extra-attempts: its range, and that it reaches the engine: a reply lost once is carried by
// one extra attempt of a request that is safe to repeat.

#include "ptyPeer.h"
#include "runProcess.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

ProcessResult runCli(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    return runProcess(NEXALO_CLI_PATH, args, folder.string());
}

TEST(CliExtraAttempts, TakesZeroToFiveAndRefusesAnythingElseWithOneLine) {
    WorkingFolder folder;
    const std::vector<std::vector<std::string>> mistakes = {
        {"--extra-attempts", "6", "probe"},   {"--extra-attempts", "-1", "probe"},
        {"--extra-attempts", "two", "probe"}, {"--extra-attempts=", "probe"},
        {"probe", "--extra-attempts", "9"}, // after the command, checked alike
    };
    for (const auto& args : mistakes) {
        const ProcessResult result = runCli(args, folder.path());
        EXPECT_EQ(result.exitStatus, 2) << args[1];
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(result.out.empty()) << args[1];
    }
    const ProcessResult help = runCli({"--help"}, folder.path());
    EXPECT_NE(help.out.find("--extra-attempts"), std::string::npos);
}

TEST(CliExtraAttempts, ALostReplyIsCarriedByAnExtraAttempt) {
    PtyPeer peer;
    // The controller takes every request; its first answer is lost on the line.
    peer.setResponder([](const std::string& frame, int index) -> std::vector<ReplyChunk> {
        if (index == 0) return {};
        return {{0, PtyPeer::statusReplyTo(frame)}};
    });
    peer.start();
    WorkingFolder folder;
    std::filesystem::create_symlink(peer.devicePath(), folder.path() / "COM1");

    const ProcessResult result =
        runCli({"--extra-attempts", "1", "set-port2", "--controller", "01", "--mode", "rs485"},
               folder.path());
    EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "Done!\n");
    const std::vector<std::string> frames = peer.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].substr(7, 4), "0100");
    EXPECT_EQ(frames[0].substr(15, 3), "2D1");
    EXPECT_EQ(frames[1].substr(15, 3), "2D1");
}

} // namespace
