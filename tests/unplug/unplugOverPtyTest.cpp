// The adapter pulled out of a real pseudo-terminal under an upgrade and under a survey: the
// reads and writes of the tool's open device fail with the platform's error. The run says so
// once, ends at once without spinning, closes the port, and once the adapter is back behind
// the same link the next run works.

#include "cpuWatch.h"
#include "image/fileSelection.h"
#include "link/linkSession.h"
#include "link/operation.h"
#include "lossTrace.h"
#include "tests/support/folderTrust.h"
#include "tests/support/workingFolder.h"
#include "tests/upgrade/upgradeFixture.h"
#include "tools/networkSurvey.h"
#include "upgrade/dispatcher.h"

#include <algorithm>
#include <thread>

using namespace upgradetest;

namespace {

constexpr double kMaxCpuShare = 0.05;
constexpr auto kCpuWindow = std::chrono::milliseconds(1000);
// From the loss to the end of the run: the failed wait notices at once.
constexpr double kMaxMsToEnd = 300;

class UnplugOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        // The tool opens COM1 of its working folder, wherever the link points now.
        ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();
        configureForTool(port);
        link.setWaitHook([this] { console.waited(); });
        console.onWait = [this] {
            if (simulator.unplugged()) watch.startOnce();
        };
        // A loss noticed by a read or a write, before any wait saw the simulator unplugged (its
        // serving thread late on a busy host), starts the watch when the run says so: on the
        // status line in an upgrade, in the report in a survey.
        const auto startOnLoss = [this](const std::string& line) {
            if (line.starts_with("Serial line lost")) watch.startOnce();
        };
        console.onStatus = startOnLoss;
        console.onReport = startOnLoss;
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
    SurveyOutcome survey() {
        SurveyOutcome outcome;
        session.run([&](OperationContext& context) { outcome = surveyBus(context, table); },
                    RunLog::Report);
        return outcome;
    }
    // The run has ended: the share of a core the tool took from the loss over the window.
    double cpuShareOverWindow() {
        EXPECT_TRUE(watch.started());
        msToEnd = watch.msSinceStart();
        std::this_thread::sleep_for(
            kCpuWindow - std::chrono::milliseconds(static_cast<long>(std::min(msToEnd, 1000.0))));
        const double share = watch.share();
        std::cout << "line lost: run ended " << msToEnd << " ms after the loss; CPU share over "
                  << watch.msSinceStart() << " ms: " << share * 100 << "%\n";
        return share;
    }
    std::size_t requestsSoFar() { return simulator.snapshot().frames.size(); }

    WorkingFolder folder;
    sim::PtySimulator simulator{networkFrom(networkWith(
        std::string(kPlainTerminal) + R"(, { "name": "t2", "la": "02", "fixedAddress": "20000102",
          "productId": 3, "version": "1.02" })"))};
    RecordingConsole console;
    LinkSession session{console};
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    FirmwareImage image;
    FoundUnits units;
    SurveyTable table;
    ThreadCpuWatch watch;
    double msToEnd = 0;
};

TEST_F(UnplugOverPty, AnUpgradeCutAmidItsPagesEndsQuietlyAndCompletesOnceReplugged) {
    // The run's start, the identification, entry, confirmation, erase, then the pages.
    simulator.unplugAtRequest(20);
    EXPECT_FALSE(upgrade());

    const LossTrace trace = traceOf(console.statusLines);
    EXPECT_EQ(trace.lossLines, 1);
    EXPECT_EQ(trace.lossLine, "Serial line lost: Input/output error");
    const std::vector<std::string> tail(console.statusLines.end() - 3, console.statusLines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{trace.lossLine, "No response!", "Finished."}));
    EXPECT_LT(cpuShareOverWindow(), kMaxCpuShare);
    EXPECT_LT(msToEnd, kMaxMsToEnd);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(session.busy());

    // Plugged in again: the unit waited in its boot loader, and the next run completes.
    ASSERT_TRUE(simulator.replug()) << simulator.error();
    console.statusLines.clear();
    EXPECT_TRUE(upgrade());
    EXPECT_EQ(traceOf(console.statusLines).lossLines, 0);
    EXPECT_NE(std::ranges::find(console.statusLines, "Upgrade OK."), console.statusLines.end());
    expectUnitRunsImage(*simulator.unit("t1"), image);
}

TEST_F(UnplugOverPty, APullWhileTheUnitRestartsEndsThePauseAtOnce) {
    // Pulled while the tool waits out the unit's restart after its last page, when no request
    // is on the line: the pause itself must notice.
    std::thread puller;
    console.onStatus = [&](const std::string& line) {
        if (line != "Resetting unit..." || puller.joinable()) return;
        puller = std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            simulator.unplug();
        });
    };
    EXPECT_FALSE(upgrade());
    ASSERT_TRUE(puller.joinable());
    puller.join();

    const LossTrace trace = traceOf(console.statusLines);
    EXPECT_EQ(trace.lossLines, 1);
    EXPECT_EQ(console.statusLines.back(), "Finished.");
    EXPECT_LT(cpuShareOverWindow(), kMaxCpuShare);
    EXPECT_LT(msToEnd, kMaxMsToEnd);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(UnplugOverPty, ASurveyCutHalfwayEndsQuietlyAndTheNextOneFindsTheNetworkAgain) {
    ASSERT_EQ(survey().controllers, 1);
    const std::vector<std::string> whole = console.reportLines;
    const std::size_t requests = requestsSoFar();

    simulator.unplugAtRequest(requests / 2);
    survey();
    const LossTrace trace = traceOf(console.reportLines);
    EXPECT_EQ(trace.lossLines, 1);
    EXPECT_EQ(trace.lossLine, "Serial line lost: Input/output error");
    EXPECT_LE(trace.linesAfter, 4);
    EXPECT_EQ(console.reportLines.back(), "Finished.");
    EXPECT_LT(cpuShareOverWindow(), kMaxCpuShare);
    EXPECT_LT(msToEnd, kMaxMsToEnd);
    EXPECT_FALSE(port.IsOpen());

    ASSERT_TRUE(simulator.replug()) << simulator.error();
    survey();
    EXPECT_EQ(console.reportLines, whole);
}

} // namespace
