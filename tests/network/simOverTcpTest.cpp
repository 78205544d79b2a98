// The engine on a network port served by the simulator's own TCP server (what nexalo-sim
// --listen runs), and nexalo-cli against nexalo-sim --listen as a process: the run's log says
// once that the speed is the server's, the image reaches the unit, and a connection the server
// drops under an upgrade ends the run as an unplugged adapter does.

#include "image/fileSelection.h"
#include "link/linkSession.h"
#include "link/operation.h"
#include "runProcess.h"
#include "sim/tcpSimulator.h"
#include "tests/support/folderTrust.h"
#include "tests/support/workingFolder.h"
#include "tests/unplug/cpuWatch.h"
#include "tests/unplug/lossTrace.h"
#include "tests/upgrade/upgradeFixture.h"
#include "upgrade/dispatcher.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using namespace upgradetest;

namespace {

constexpr double kMaxCpuShare = 0.05;
constexpr double kMaxMsToEnd = 300;

std::string noteFor(const std::string& url) {
    return "Network port " + url +
           ": the line's speed and framing are those set on the device server.";
}

class EngineOverTcp : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        const std::optional<std::string> address = simulator.start("127.0.0.1", 0);
        ASSERT_TRUE(address) << simulator.error();
        url = *address;
        configureForTool(port);
        link.setWaitHook([this] { console.waited(); });
        port.setDevicePath(url);
    }
    bool upgrade() {
        bool upgraded = false;
        session.run([&](OperationContext& given) {
            TrustedContext trusted(given);
            OperationContext& context = trusted.context;
            PortSession held(link);
            if (!held.opened()) return;
            UpgradeRun run{context,
                           {UnitType::Terminal, UpgradeType::SingleUnit, false, "01", "01"},
                           {},
                           image,
                           units};
            upgraded = RunUpgrade(run).succeeded();
        });
        return upgraded;
    }

    WorkingFolder folder;
    sim::TcpSimulator simulator{networkFrom(networkWith(kPlainTerminal))};
    std::string url;
    RecordingConsole console;
    LinkSession session{console};
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    FirmwareImage image;
    FoundUnits units;
};

TEST_F(EngineOverTcp, ADroppedConnectionEndsTheUpgradeOnceAndTheNextRunCompletes) {
    ThreadCpuWatch watch;
    console.onWait = [&] {
        if (!watch.started() && simulator.unit("t1")->flash.pagesWritten() >= 5) {
            simulator.dropClient();
            watch.startOnce();
        }
    };
    EXPECT_FALSE(upgrade());
    const double msToEnd = watch.msSinceStart();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double share = watch.share();
    std::cout << "dropped: run ended " << msToEnd << " ms after; CPU share " << share * 100
              << "%\n";
    EXPECT_EQ(console.statusLines.front(), noteFor(url));
    const LossTrace trace = traceOf(console.statusLines);
    EXPECT_EQ(trace.lossLines, 1);
    // A close is seen as the end of the stream, a reset (unread bytes at the server) as such.
    EXPECT_TRUE(trace.lossLine == "Serial line lost: Connection closed by the device server" ||
                trace.lossLine == "Serial line lost: Connection reset by peer")
        << trace.lossLine;
    EXPECT_EQ(console.statusLines.back(), "Finished.");
    EXPECT_LT(msToEnd, kMaxMsToEnd);
    EXPECT_LT(share, kMaxCpuShare);
    EXPECT_FALSE(port.IsOpen());

    console.onWait = nullptr;
    console.statusLines.clear();
    EXPECT_TRUE(upgrade());
    EXPECT_EQ(std::ranges::count(console.statusLines, noteFor(url)), 1);
    EXPECT_EQ(traceOf(console.statusLines).lossLines, 0);
    expectUnitRunsImage(*simulator.unit("t1"), image);
}

// nexalo-sim --listen tcp:0 as a process; its first line is the address to use.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const std::string& network) {
        int ends[2];
        if (pipe(ends) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        std::vector<std::string> args = {NEXALO_SIM_PATH, "--listen", "tcp:0", network};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, NEXALO_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        char c;
        while (read(ends[0], &c, 1) == 1 && c != '\n')
            address_.push_back(c);
        close(ends[0]);
    }
    ~SimulatorProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

TEST(CliOverSimulatorListening, ASurveyReadsAsOverTheLocalLineEvenNamedAsTelnet) {
    WorkingFolder folder;
    const std::string demo = std::string(NEXALO_SOURCE_DIR) + "/sim/networks/demo.json";
    sim::NetworkLoad load = sim::loadNetworkFile(demo);
    ASSERT_TRUE(load.network) << load.error;
    sim::PtySimulator local(std::move(*load.network));
    ASSERT_TRUE(local.start((folder.path() / "COM1").string())) << local.error();
    SimulatorProcess served(demo);
    ASSERT_TRUE(served.address().starts_with("tcp://127.0.0.1:")) << served.address();

    const ProcessResult overLine = runProcess(NEXALO_CLI_PATH, {"survey"}, folder.path().string());
    ASSERT_EQ(overLine.exitStatus, 0) << overLine.out;
    const ProcessResult overTcp =
        runProcess(NEXALO_CLI_PATH, {"--port", served.address(), "survey"}, folder.path().string());
    EXPECT_EQ(overTcp.exitStatus, 0);
    EXPECT_EQ(overTcp.out, noteFor(served.address()) + "\n" + overLine.out);

    // A raw port named as a Telnet one: no answer ever comes, and the line is used as it is
    // (the Telnet opening reaches the bus as a stray frame the units pass over), said once.
    const std::string asTelnet = "rfc2217://" + served.address().substr(std::strlen("tcp://"));
    const ProcessResult telnet =
        runProcess(NEXALO_CLI_PATH, {"--port", asTelnet, "survey"}, folder.path().string());
    EXPECT_EQ(telnet.exitStatus, 0);
    EXPECT_EQ(telnet.out, "Network port " + asTelnet +
                              ": no Telnet answer within 3 s; the line's speed and framing are "
                              "those set on the device server until it answers.\n" +
                              overLine.out);
}

} // namespace
