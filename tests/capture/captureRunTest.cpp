// A run recorded over the pseudo-terminal and replayed: the capture holds the run as it went,
// and a session that numbers its requests elsewhere is led through the same run by the replay,
// or told where it went its own way.

#include "captureText.h"
#include "link/captureFile.h"
#include "sim/replayServer.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"
#include "upgrade/dispatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace {

Outcome upgradeTerminal(testkit::PtyBus& bus, const std::string& terminal) {
    UpgradeSettings settings;
    settings.controllerLA = "01";
    settings.terminalLA = terminal;
    ScopeFlags scope;
    FirmwareImage image;
    FoundUnits units;
    UpgradeRun run{bus.context(), settings, scope, image, units};
    return RunUpgrade(run);
}

class CaptureRun : public ::testing::Test {
protected:
    void SetUp() override { testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.path()); }

    // The single upgrade of terminal 0101 on the faulty network, recorded.
    Outcome record() {
        testkit::PtyBus bus(console, testkit::networkFrom(capturetest::kEraseError));
        capture::Header header;
        header.tool = "test";
        header.port = "COM1";
        header.baud = 38400;
        header.operation = "upgrade";
        header.arguments = {"upgrade", "--terminal", "01"};
        header.firmware = {{"Terminal-K2.hex", "00"}};
        header.started = "2026-12-10T05:00:00Z";
        bus.session.startCapture(path, header);
        bus.session.capture()->operationStart("upgrade");
        EXPECT_TRUE(bus.openPort());
        const Outcome outcome = upgradeTerminal(bus, "01");
        bus.session.capture()->operationEnd(outcome);
        bus.session.stopCapture();
        return outcome;
    }

    capture::Capture recorded() {
        capture::Read read = capture::readCapture(path);
        EXPECT_TRUE(read.capture) << read.error;
        return read.capture.value_or(capture::Capture{});
    }

    WorkingFolder folder;
    std::string path = folder.file("run.jsonl");
    RecordingConsole console;
};

TEST_F(CaptureRun, HoldsTheRunFromItsStartToItsOutcome) {
    const Outcome outcome = record();
    EXPECT_EQ(outcome.describe(), "failed: Erase Error 05");
    const capture::Capture run = recorded();
    EXPECT_EQ(run.header.arguments, (std::vector<std::string>{"upgrade", "--terminal", "01"}));
    EXPECT_EQ(run.header.firmware.at(0).name, "Terminal-K2.hex");
    ASSERT_GE(run.records.size(), 4u);
    EXPECT_EQ(run.records.front().event, capture::Event::Start);
    EXPECT_TRUE(run.ended());
    EXPECT_EQ(run.endedWith(), outcome);
    // Every request that awaited a reply is followed by what its wait read; the erase is
    // answered with its error, bytes exact.
    bool eraseAnswered = false;
    std::uint64_t last = 0;
    for (std::size_t i = 0; i < run.records.size(); ++i) {
        const capture::Record& record = run.records[i];
        EXPECT_GE(record.t, last);
        last = record.t;
        if (record.event != capture::Event::Request ||
            record.frame.find("E27F") == std::string::npos)
            continue;
        ASSERT_LT(i + 1, run.records.size());
        EXPECT_EQ(run.records[i + 1].event, capture::Event::Reply);
        EXPECT_EQ(run.records[i + 1].outcome, ExchangeOutcome::Accepted);
        EXPECT_EQ(run.records[i + 1].bytes.back(), '\r');
        eraseAnswered = true;
    }
    EXPECT_TRUE(eraseAnswered);
}

TEST_F(CaptureRun, AReplayLeadsAnotherSessionThroughTheSameRun) {
    const Outcome outcome = record();
    const capture::Capture run = recorded();
    RecordingConsole replayConsole;
    sim::ReplayServer replay(run, true, folder.file("divergence.txt"));
    testkit::PtyBus bus(replayConsole, testkit::networkFrom("{}"));
    bus.simulator.setFrameHandler(replay.handler());
    // Another session's numbering: every reply must be re-stamped to be taken.
    bus.link.setSequenceNumber(0x7FF0);
    ASSERT_TRUE(bus.openPort());
    EXPECT_EQ(upgradeTerminal(bus, "01"), outcome);
    EXPECT_EQ(replayConsole.statusLines, console.statusLines);
    EXPECT_FALSE(replay.script().divergence());
    // The last request is a broadcast the run does not wait on: the simulator takes it in.
    std::size_t received = 0;
    for (int wait = 0; wait < 100 && received < run.requestCount(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        received = bus.simulator.inspect([&](auto&) { return replay.script().requestsReceived(); });
    }
    EXPECT_EQ(received, run.requestCount());
    EXPECT_FALSE(std::filesystem::exists(folder.file("divergence.txt")));
}

TEST_F(CaptureRun, ADivergenceIsSaidWithBothRequestsAndWritten) {
    record();
    const capture::Capture run = recorded();
    RecordingConsole replayConsole;
    sim::ReplayServer replay(run, true, folder.file("divergence.txt"));
    testkit::PtyBus bus(replayConsole, testkit::networkFrom("{}"));
    bus.simulator.setFrameHandler(replay.handler());
    ASSERT_TRUE(bus.openPort());
    // Nothing is answered after a divergence: the line is pulled there, so that the run ends at
    // once rather than waiting out every time-out of its retries.
    bool pulled = false;
    bus.link.setWaitHook([&] {
        if (!replay.diverged() || pulled) return;
        pulled = true;
        bus.simulator.unplug();
    });
    EXPECT_FALSE(upgradeTerminal(bus, "02").succeeded());
    ASSERT_TRUE(replay.script().divergence());
    const std::string& said = *replay.script().divergence();
    EXPECT_NE(said.find(": recorded 0101 0A unit information, sent 0102 0A unit information"),
              std::string::npos)
        << said;
    std::ifstream written(folder.file("divergence.txt"));
    std::string line;
    std::getline(written, line);
    EXPECT_EQ(line, said);
}

} // namespace
