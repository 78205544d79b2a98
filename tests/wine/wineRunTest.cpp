// nexalo-cli.exe under Wine against the simulated network, set beside the Linux nexalo-cli on
// a network of its own: Wine's COM1 leads to the simulator's pseudo-terminal, so the Windows
// program drives the Win32 backend over a real line. Run by scripts/test-windows.sh, which
// gives the Wine programs in the environment, and the link that the prefix's COM1 points at
// (Wine remakes dosdevices/com1 itself at each start, so the link cannot be that entry).

#include "runProcess.h"
#include "tests/support/folderTrust.h"
#include "tests/support/workingFolder.h"
#include "upgradeFixture.h"

#include "image/fileSelection.h"
#include "link/captureFile.h"
#include "link/lineLoss.h"
#include "sim/replayServer.h"
#include "sim/tcpSimulator.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

using namespace upgradetest;

namespace {

std::string fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back(); // Windows ends lines so
        lines.push_back(line);
    }
    return lines;
}

std::string demoNetwork() {
    std::ifstream in(std::string(NEXALO_SOURCE_DIR) + "/sim/networks/demo.json");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The request frames a network was sent, by address and command, in order.
std::vector<std::string> framesOf(sim::PtySimulator& simulator) {
    return simulator.inspect([](sim::NetworkSimulator& network) {
        std::vector<std::string> frames;
        for (const sim::ReceivedFrame& frame : network.network().frames)
            frames.push_back(frame.address + " " + frame.command);
        return frames;
    });
}

class WineRun : public ::testing::Test {
protected:
    void SetUp() override {
        wine = fromEnvironment("NEXALO_WINE");
        com1Link = fromEnvironment("NEXALO_WINE_COM1_LINK");
        windowsCli = fromEnvironment("NEXALO_WINE_CLI");
        ASSERT_FALSE(wine.empty() || com1Link.empty() || windowsCli.empty())
            << "needs NEXALO_WINE, NEXALO_WINE_COM1_LINK and NEXALO_WINE_CLI";
        for (const auto& sample : std::filesystem::directory_iterator(NEXALO_FW_SAMPLES_DIR))
            if (sample.is_regular_file())
                std::filesystem::copy_file(sample.path(), folder.path() / sample.path().filename());
        ASSERT_TRUE(windowsSide.start(com1Link)) << windowsSide.error();
        ASSERT_TRUE(linuxSide.start((folder.path() / "COM1").string())) << linuxSide.error();
    }

    ProcessResult onWindows(std::vector<std::string> args) {
        args.insert(args.begin(), {windowsCli, "--port", "COM1"});
        return runProcess(wine, args, folder.path().string());
    }
    ProcessResult onLinux(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "COM1"});
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    }
    // Runs args on both and expects the same lines and exit status; the Windows result.
    ProcessResult expectSameOnBoth(const std::vector<std::string>& args) {
        const ProcessResult windows = onWindows(args);
        const ProcessResult linux = onLinux(args);
        EXPECT_EQ(windows.exitStatus, 0) << windows.out << windows.err;
        EXPECT_EQ(windows.exitStatus, linux.exitStatus);
        EXPECT_EQ(linesOf(windows.out), linesOf(linux.out));
        EXPECT_EQ(windows.err, linux.err);
        return windows;
    }

    std::string wine, com1Link, windowsCli;
    WorkingFolder folder;
    sim::PtySimulator windowsSide{networkFrom(demoNetwork())};
    sim::PtySimulator linuxSide{networkFrom(demoNetwork())};
};

TEST_F(WineRun, ProbeVersionsAndSurveyPrintWhatLinuxPrints) {
    // The probe prints the time it measured, which no two runs share: the line's form is what
    // both must print.
    const std::regex measured("[0-9]+ msec");
    const ProcessResult probe = onWindows({"probe", "--address", "0101"});
    const ProcessResult linuxProbe = onLinux({"probe", "--address", "0101"});
    EXPECT_EQ(probe.exitStatus, 0) << probe.out << probe.err;
    EXPECT_EQ(probe.exitStatus, linuxProbe.exitStatus);
    ASSERT_EQ(linesOf(probe.out).size(), 1u) << probe.out;
    EXPECT_TRUE(std::regex_match(linesOf(probe.out)[0], measured)) << probe.out;
    EXPECT_TRUE(std::regex_match(linesOf(linuxProbe.out).at(0), measured)) << linuxProbe.out;
    const ProcessResult versions = expectSameOnBoth({"versions"});
    EXPECT_NE(versions.out.find("Terminal-K2.hex"), std::string::npos) << versions.out;
    const ProcessResult survey = expectSameOnBoth({"survey"});
    EXPECT_NE(survey.out.find("20000205"), std::string::npos) << survey.out;
    EXPECT_EQ(framesOf(windowsSide), framesOf(linuxSide));
}

// Every frame the upgrade sends arrives whole (the fire-and-forget broadcasts too, which the
// purge before the next request must not take back), and the unit ends up holding the image.
TEST_F(WineRun, ASingleUnitUpgradeWritesTheImageIntoTheUnitsFlash) {
    expectSameOnBoth(
        {"upgrade", "--unit-type", "terminal", "--controller", "01", "--terminal", "01"});
    const std::vector<std::string> frames = framesOf(windowsSide);
    EXPECT_EQ(frames, framesOf(linuxSide));
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), "FF00 9B00");
    EXPECT_EQ(windowsSide.inspect([](sim::NetworkSimulator& n) { return n.network().badFrames; }),
              0u);

    std::filesystem::current_path(folder.path());
    FirmwareImage image;
    RecordingConsole quiet;
    ASSERT_TRUE(LoadApplicationFile(image, quiet, 3, UnitType::Terminal, UpgradeType::SingleUnit,
                                    folderTrust()));
    expectUnitRunsImage(*windowsSide.unit("terminal-1-1"), image);
}

// A folder signed with sha256sum and minisign on the host: the Windows program refuses a list
// changed after signing as Linux does, with the same lines on both outputs, and takes the
// signed one, showing its trusted comment.
TEST_F(WineRun, ASignedFolderIsCheckedAsOnLinux) {
    std::filesystem::current_path(folder.path());
    const auto shell = [](const std::string& command) {
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    };
    shell("minisign -G -W -p site.pub -s site.key >/dev/null 2>&1");
    shell("sha256sum Terminal-K2.hex > SHA256SUMS");
    shell("minisign -S -s site.key -m SHA256SUMS -t 'signed on the host' >/dev/null 2>&1");
    std::ofstream("SHA256SUMS", std::ios::app) << std::string(64, 'a') << "  Host-K2.hex\n";
    const std::vector<std::string> upgrade = {
        "--trusted-key", "site.pub", "upgrade", "--controller", "01", "--terminal", "01"};
    const ProcessResult refused = onWindows(upgrade);
    const ProcessResult linuxRefused = onLinux(upgrade);
    EXPECT_EQ(refused.exitStatus, 1) << refused.out << refused.err;
    EXPECT_EQ(linuxRefused.exitStatus, 1);
    EXPECT_EQ(linesOf(refused.out), linesOf(linuxRefused.out));
    EXPECT_EQ(linesOf(refused.err), linesOf(linuxRefused.err));
    EXPECT_NE(refused.err.find("does not verify"), std::string::npos) << refused.err;
    const std::vector<std::string> untouched = framesOf(windowsSide);
    EXPECT_TRUE(std::ranges::none_of(
        untouched, [](const std::string& frame) { return frame.find(" E") != std::string::npos; }));

    shell("sha256sum Terminal-K2.hex > SHA256SUMS");
    shell("minisign -S -s site.key -m SHA256SUMS -t 'signed on the host' >/dev/null 2>&1");
    const ProcessResult upgraded = expectSameOnBoth(upgrade);
    EXPECT_NE(upgraded.out.find("trusted comment: signed on the host"), std::string::npos)
        << upgraded.out;
}

// The adapter pulled out amid the pages: the run ends with the system's words for it, once,
// and fails; Linux says the same in its own words.
TEST_F(WineRun, APulledAdapterEndsTheRunWithTheSystemsWords) {
    const std::vector<std::string> args = {"upgrade", "--controller", "01", "--terminal", "01"};
    windowsSide.unplugAtRequest(20);
    linuxSide.unplugAtRequest(20);
    const ProcessResult windows = onWindows(args);
    const ProcessResult linux = onLinux(args);
    EXPECT_EQ(windows.exitStatus, 1) << windows.out;
    EXPECT_EQ(linux.exitStatus, 1) << linux.out;
    const auto lost = [](const std::vector<std::string>& lines) {
        std::vector<std::string> found;
        for (const std::string& line : lines)
            if (line.starts_with(kLineLostPrefix)) found.push_back(line);
        return found;
    };
    const std::vector<std::string> windowsLost = lost(linesOf(windows.out));
    ASSERT_EQ(windowsLost.size(), 1u) << windows.out << windows.err;
    EXPECT_GT(windowsLost[0].size(), std::string(kLineLostPrefix).size()) << windows.out;
    std::vector<std::string> windowsRest = linesOf(windows.out), linuxRest = linesOf(linux.out);
    std::erase_if(windowsRest, [](const std::string& l) { return l.starts_with(kLineLostPrefix); });
    std::erase_if(linuxRest, [](const std::string& l) { return l.starts_with(kLineLostPrefix); });
    EXPECT_EQ(windowsRest, linuxRest);
}

// The backend's own cases over the line: the purge rule (every broadcast sent reaches the
// network whole), the refused DTR, and every offered speed set on the open line.
TEST_F(WineRun, TheBackendsLineCasesPassOverWinesCom1) {
    constexpr int kBroadcasts = 300;
    const std::string backendTests = fromEnvironment("NEXALO_WINE_BACKEND_TESTS");
    ASSERT_FALSE(backendTests.empty()) << "needs NEXALO_WINE_BACKEND_TESTS";
    setenv("NEXALO_WINE_PORT", "COM1", 1);
    setenv("NEXALO_WINE_BROADCASTS", std::to_string(kBroadcasts).c_str(), 1);
    const ProcessResult result =
        runProcess(wine, {backendTests, "--gtest_filter=WineLine.*"}, folder.path().string());
    unsetenv("NEXALO_WINE_PORT");
    unsetenv("NEXALO_WINE_BROADCASTS");
    EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("[  PASSED  ] 3 tests."), std::string::npos) << result.out;

    const std::vector<std::string> frames = framesOf(windowsSide);
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [](const std::string& frame) { return frame.starts_with("FF00 01"); }),
              kBroadcasts);
    EXPECT_EQ(windowsSide.inspect([](sim::NetworkSimulator& n) { return n.network().badFrames; }),
              0u);
}

// The network port on Windows sockets: a survey over tcp:// to the simulator's TCP server reads
// as the Linux build's survey over the same kind of port.
TEST_F(WineRun, ASurveyOverANetworkPortReadsAsOnLinux) {
    sim::TcpSimulator windowsServer{networkFrom(demoNetwork())};
    sim::TcpSimulator linuxServer{networkFrom(demoNetwork())};
    const std::optional<std::string> windowsAddress = windowsServer.start("127.0.0.1", 0);
    const std::optional<std::string> linuxAddress = linuxServer.start("127.0.0.1", 0);
    ASSERT_TRUE(windowsAddress && linuxAddress) << windowsServer.error() << linuxServer.error();
    const ProcessResult windows =
        runProcess(wine, {windowsCli, "--port", *windowsAddress, "survey"}, folder.path().string());
    const ProcessResult linux =
        runProcess(NEXALO_CLI_PATH, {"--port", *linuxAddress, "survey"}, folder.path().string());
    EXPECT_EQ(windows.exitStatus, 0) << windows.out << windows.err;
    EXPECT_EQ(linux.exitStatus, 0) << linux.out << linux.err;
    std::vector<std::string> windowsLines = linesOf(windows.out), linuxLines = linesOf(linux.out);
    ASSERT_FALSE(windowsLines.empty());
    ASSERT_FALSE(linuxLines.empty());
    // The first line names the port, whose number differs between the two servers.
    EXPECT_NE(windowsLines.front().find(*windowsAddress), std::string::npos) << windows.out;
    windowsLines.erase(windowsLines.begin());
    linuxLines.erase(linuxLines.begin());
    EXPECT_EQ(windowsLines, linuxLines);
    EXPECT_NE(windows.out.find("20000205"), std::string::npos) << windows.out;
}

// A capture recorded on Windows replays on Linux, and one of the corpus replays with
// nexalo-cli.exe against a replay served from Linux over a network port.
TEST_F(WineRun, ACaptureRecordedOnEitherSideIsReproducedOnTheOther) {
    const std::vector<std::string> upgrade = {"upgrade",      "--unit-type", "terminal",
                                              "--controller", "01",          "--terminal",
                                              "01",           "--capture",   "windows.jsonl"};
    const ProcessResult recorded = onWindows(upgrade);
    EXPECT_EQ(recorded.exitStatus, 0) << recorded.out << recorded.err;
    const ProcessResult onLinuxReplay =
        runProcess(NEXALO_CLI_PATH, {"replay", "windows.jsonl"}, folder.path().string());
    EXPECT_EQ(onLinuxReplay.exitStatus, 0) << onLinuxReplay.out << onLinuxReplay.err;
    EXPECT_NE(onLinuxReplay.out.find("Reproduced: the same "), std::string::npos)
        << onLinuxReplay.out;

    const std::string corpus = std::string(NEXALO_SOURCE_DIR) + "/tests/captures/erase-error.jsonl";
    const capture::Read read = capture::readCapture(corpus);
    ASSERT_TRUE(read.capture) << read.error;
    sim::ReplayServer replay(*read.capture, true, {});
    sim::TcpSimulator server{sim::Network{}};
    server.setFrameHandler(replay.handler());
    const std::optional<std::string> address = server.start("127.0.0.1", 0);
    ASSERT_TRUE(address) << server.error();
    // In the working folder: a Windows program takes an argument that starts with "/" for an
    // option.
    std::filesystem::copy_file(corpus, folder.path() / "erase-error.jsonl");
    const ProcessResult windows =
        runProcess(wine, {windowsCli, "replay", "erase-error.jsonl", "--at", *address},
                   folder.path().string());
    EXPECT_EQ(windows.exitStatus, 0) << windows.out << windows.err;
    ASSERT_FALSE(linesOf(windows.out).empty()) << windows.err;
    EXPECT_EQ(linesOf(windows.out).back(),
              "Reproduced: the same 6 requests, the same outcome (failed: Erase Error 05).");
}

} // namespace
