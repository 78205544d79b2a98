// nexalo-cli through Debian's ser2net serving the simulator's pseudo-terminal, raw and as
// Telnet with the COM-port option: the same lines as over the local line, the image in the
// unit's flash, the speed set from here, and a device server that dies under a run.

#include "image/fileSelection.h"
#include "runProcess.h"
#include "ser2netServer.h"
#include "tests/support/folderTrust.h"
#include "tests/support/workingFolder.h"
#include "tests/unplug/cpuWatch.h"
#include "tests/upgrade/upgradeFixture.h"

#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace upgradetest;

namespace {

const std::vector<std::string> kUpgrade = {"upgrade", "--controller", "01", "--terminal", "01"};

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string rawNote(const std::string& url) {
    return "Network port " + url +
           ": the line's speed and framing are those set on the device server.\n";
}

// The output speed the pseudo-terminal is set to now.
speed_t deviceSpeed(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    const bool read = fd >= 0 && tcgetattr(fd, &tio) == 0;
    if (fd >= 0) close(fd);
    return read ? cfgetospeed(&tio) : B0;
}

FirmwareImage terminalImage() {
    WorkingFolder samples{NEXALO_FW_SAMPLES_DIR};
    FirmwareImage image;
    RecordingConsole quiet;
    EXPECT_TRUE(LoadApplicationFile(image, quiet, 3, UnitType::Terminal, UpgradeType::SingleUnit,
                                    folderTrust()));
    return image;
}

class ThroughSer2net : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Ser2net::installed())
            GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net); the device "
                            "server tests need it";
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        ASSERT_TRUE(local.start((folder.path() / "COM1").string())) << local.error();
        ASSERT_TRUE(behindRaw.start()) << behindRaw.error();
        ASSERT_TRUE(behindTelnet.start()) << behindTelnet.error();
        ASSERT_TRUE(server.start(folder.path(), behindRaw.devicePath(), behindTelnet.devicePath()))
            << server.error();
    }
    ProcessResult cli(const std::vector<std::string>& args,
                      const std::function<void(pid_t)>& whileRunning = {}) {
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string(), whileRunning);
    }
    static std::vector<std::string> through(const std::string& url, std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", url});
        return args;
    }

    WorkingFolder folder;
    sim::PtySimulator local{networkFrom(networkWith(kPlainTerminal))};
    sim::PtySimulator behindRaw{networkFrom(networkWith(kPlainTerminal))};
    sim::PtySimulator behindTelnet{networkFrom(networkWith(kPlainTerminal))};
    Ser2net server;
};

TEST_F(ThroughSer2net, ASurveyReadsAsOverTheLocalLine) {
    const ProcessResult overLine = cli({"survey"});
    ASSERT_EQ(overLine.exitStatus, 0) << overLine.out;
    const ProcessResult raw = cli(through(server.rawUrl(), {"survey"}));
    EXPECT_EQ(raw.exitStatus, 0);
    EXPECT_EQ(raw.out, rawNote(server.rawUrl()) + overLine.out);
    const ProcessResult telnet = cli(through(server.telnetUrl(), {"survey"}));
    EXPECT_EQ(telnet.exitStatus, 0);
    EXPECT_EQ(telnet.out, overLine.out);
}

TEST_F(ThroughSer2net, ASingleUnitUpgradeWritesTheImageThroughEitherPort) {
    const ProcessResult overLine = cli(kUpgrade);
    ASSERT_EQ(overLine.exitStatus, 0) << overLine.out;
    ASSERT_NE(overLine.out.find("Upgrade OK.\n"), std::string::npos) << overLine.out;
    const ProcessResult raw = cli(through(server.rawUrl(), kUpgrade));
    EXPECT_EQ(raw.exitStatus, 0);
    EXPECT_EQ(raw.out, rawNote(server.rawUrl()) + overLine.out);
    const ProcessResult telnet = cli(through(server.telnetUrl(), kUpgrade));
    EXPECT_EQ(telnet.exitStatus, 0);
    EXPECT_EQ(telnet.out, overLine.out);

    const FirmwareImage image = terminalImage();
    expectUnitRunsImage(*behindRaw.unit("t1"), image);
    expectUnitRunsImage(*behindTelnet.unit("t1"), image);
}

// ser2net sets its own 38400 when it opens the line (and restores the line's own settings when
// the client leaves); only the Telnet port carries ours, seen while the run holds the line.
TEST_F(ThroughSer2net, TheSpeedChosenHereReachesTheLineOnlyThroughTheComPortOption) {
    const auto speedsWhileRunning = [this](const std::string& url, const std::string& device) {
        std::set<speed_t> seen;
        const ProcessResult run =
            cli(through(url, {"--baud", "19200", "survey"}), [&](pid_t child) {
                while (!processCpu(child).ended) {
                    seen.insert(deviceSpeed(device));
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            });
        EXPECT_EQ(run.exitStatus, 0) << run.out;
        return seen;
    };
    EXPECT_TRUE(speedsWhileRunning(server.telnetUrl(), behindTelnet.devicePath()).contains(B19200));
    EXPECT_FALSE(speedsWhileRunning(server.rawUrl(), behindRaw.devicePath()).contains(B19200));
}

// As with an adapter pulled out: one line, the run ends at once, the exit status says so.
TEST_F(ThroughSer2net, ADeviceServerThatDiesUnderAnUpgradeEndsTheRunWithOneLine) {
    std::chrono::steady_clock::time_point killed;
    const ProcessResult cut = cli(through(server.telnetUrl(), kUpgrade), [&](pid_t) {
        for (int wait = 0; wait < 4000; ++wait) {
            if (behindTelnet.unit("t1")->flash.pagesWritten() >= 5) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server.kill();
        killed = std::chrono::steady_clock::now();
    });
    const auto msToEnd = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - killed)
                             .count();
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_EQ(occurrences(cut.out, "Serial line lost: "), 1) << cut.out;
    EXPECT_TRUE(cut.out.ends_with("No response!\nFinished.\n")) << cut.out;
    EXPECT_LT(msToEnd, 2000);
    std::cout << "nexalo-cli ended " << msToEnd << " ms after the device server\n";
}

// Another client holds the port: ser2net says so and closes, and the port does not open.
TEST_F(ThroughSer2net, APortHeldByAnotherClientFailsToOpenWithTheServersWords) {
    for (const auto& [url, port] : {std::pair(server.telnetUrl(), server.telnetPort()),
                                    std::pair(server.rawUrl(), server.rawPort())}) {
        const int other = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const ProcessResult refused = cli(through(url, {"survey"}));
        close(other);
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_NE(refused.out.find("Failed to open COM port\n" + url +
                                   ": the device server closed the connection at once, saying "
                                   "\"Port already in use\""),
                  std::string::npos)
            << refused.out;
    }
}

} // namespace

// Without any device server: the port that does not open, and the address that is no address.
TEST(NetworkPortChoice, ARefusedConnectionFailsToOpenWithTheAddressAndAUsageErrorIsTwo) {
    WorkingFolder folder;
    const std::string url = "tcp://127.0.0.1:" + std::to_string(freeLoopbackPort());
    const ProcessResult refused =
        runProcess(NEXALO_CLI_PATH, {"--port", url, "survey"}, folder.path().string());
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.out.find("Failed to open COM port\n" + url + ": connection refused"),
              std::string::npos)
        << refused.out;

    const ProcessResult malformed = runProcess(
        NEXALO_CLI_PATH, {"--port", "rfc2217://127.0.0.1", "survey"}, folder.path().string());
    EXPECT_EQ(malformed.exitStatus, 2);
    EXPECT_EQ(occurrences(malformed.err, "\n"), 1) << malformed.err;
    EXPECT_NE(malformed.err.find("rfc2217://HOST:PORT"), std::string::npos) << malformed.err;
}
