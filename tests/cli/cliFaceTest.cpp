// What a user of nexalo-cli meets first: the usage line, the options of the line given after
// the command, a port that does not open said on standard error, and a fast poll of a unit
// that never answers.

#include "ptyPeer.h"
#include "runProcess.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

ProcessResult runFace(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    return runProcess(NEXALO_CLI_PATH, args, folder.string());
}

TEST(CliFace, TheUsageLineNamesTheCommandAndItsArguments) {
    WorkingFolder folder;
    const ProcessResult help = runFace({"--help"}, folder.path());
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("\nUsage: nexalo-cli [OPTIONS] COMMAND [ARGS]\n"), std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("\nCommands:\n  probe "), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("SUBCOMMAND"), std::string::npos) << help.out;
    // A word the command does not take is no command name either.
    const ProcessResult stray = runFace({"probe", "--address", "0101", "extra"}, folder.path());
    EXPECT_EQ(stray.exitStatus, 2);
    EXPECT_NE(stray.err.find("'extra'"), std::string::npos) << stray.err;
}

TEST(CliFace, TheOptionsOfTheLineAreTakenAfterTheCommand) {
    PtyPeer peer;
    peer.setResponder([](const std::string& frame, int) -> std::vector<ReplyChunk> {
        return {{0, PtyPeer::statusReplyTo(frame)}};
    });
    peer.start();
    WorkingFolder folder;
    std::filesystem::create_symlink(peer.devicePath(), folder.path() / "COM2");
    const ProcessResult probe = runFace(
        {"probe", "--port", "COM2", "--baud", "9600", "--min-timeout", "100"}, folder.path());
    EXPECT_EQ(probe.exitStatus, 0) << probe.out << probe.err;
    EXPECT_NE(probe.out.find(" msec"), std::string::npos) << probe.out;
    EXPECT_FALSE(peer.frames().empty());
}

TEST(CliFace, APortThatDoesNotOpenIsSaidOnStandardErrorToo) {
    WorkingFolder folder;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"probe", "--port", "/nonexistent/device"},
          std::vector<std::string>{"site", "--port", "/nonexistent/bus", "--port",
                                   "/nonexistent/device"}}) {
        const ProcessResult result = runFace(args, folder.path());
        EXPECT_EQ(result.exitStatus, 1) << args[0];
        EXPECT_NE(result.out.find("Failed to open COM port"), std::string::npos) << result.out;
        EXPECT_NE(result.err.find("nexalo-cli: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("Failed to open COM port: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("/nonexistent/device: No such file or directory"),
                  std::string::npos)
            << result.err;
    }
}

// A unit that never answers is no watch that went well, however short the time given.
TEST(CliFace, AFastPollThatNeverHeardTheUnitFails) {
    PtyPeer silent;
    silent.start();
    WorkingFolder folder;
    std::filesystem::create_symlink(silent.devicePath(), folder.path() / "COM1");
    const ProcessResult result =
        runFace({"fast-poll", "--la", "05", "--seconds", "1"}, folder.path());
    EXPECT_EQ(result.exitStatus, 1) << result.out;
    EXPECT_NE(result.out.find("No response!"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("fast-poll of LA 05 failed: No response!"), std::string::npos)
        << result.err;
    EXPECT_FALSE(silent.frames().empty());
}

} // namespace
