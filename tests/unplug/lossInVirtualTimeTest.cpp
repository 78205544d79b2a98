// Every procedure that talks to the units, with the line failing at a spread of its requests,
// in virtual time: the run says so once in its own log, ends within a bound, tries no unit
// after the loss, and leaves the port closed and the session free.

#include "link/linkSession.h"
#include "link/operation.h"
#include "lossTrace.h"
#include "sim/virtualLineBackend.h"
#include "tests/globalUpgrade/upgradeFixture.h"
#include "tools/commsTest.h"
#include "tools/lineDiagnostics.h"
#include "tools/maintenance.h"
#include "tools/networkSurvey.h"
#include "tools/responseProbe.h"
#include "trust/folderTrust.h"
#include "unpluggableLine.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <iostream>

using upgradetest::writeFirmware;

namespace {

constexpr char kNetwork[] = R"({ "seed": 4, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" },
      { "name": "t3", "la": "03", "fixedAddress": "20000103", "productId": 3, "version": "1.02" },
      { "name": "t4", "la": "04", "fixedAddress": "20000104", "productId": 3, "version": "1.02" },
      { "name": "r1", "la": "05", "fixedAddress": "20000105", "productId": 31,
        "version": "1.05", "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

// After the line is said lost, a run adds at most its failing step's line, its summary (the
// global upgrade's report of the units it worked on) and its closing line.
constexpr int kMaxLinesAfterLoss = 6;
// The exchanges that still start after the loss each fail at once: the closing broadcasts and
// the step under way, never one per remaining unit.
constexpr unsigned kMaxExchangesAfterLoss = 4;
// Virtual time from the moment the run knows of the loss to its end: no time-out is waited out,
// no pause begins.
constexpr std::uint64_t kMaxMsAfterTold = 20;
// From the cut itself: a request sent without waiting for its answer cannot tell that the line
// failed behind it, so a fixed pause begun after it (the longest: the global upgrade's five
// seconds for the units to erase or restart) still runs out; never a time-out loop.
constexpr std::uint64_t kMaxMsAfterCut = delay::GlobalAfterResetBroadcast + 100;
constexpr int kCutsPerProcedure = 40;

// Notes the moment the run says the line is lost, whichever log it goes to.
class LossClockConsole : public RecordingConsole {
public:
    explicit LossClockConsole(Clock& clock) : clock_(clock) {}
    void status(std::string_view line) override {
        if (onStatus) onStatus(line);
        note(line);
        RecordingConsole::status(line);
    }
    void report(std::string_view line) override {
        note(line);
        RecordingConsole::report(line);
    }
    void message(MessageKind kind, std::string_view text) override {
        note(text);
        RecordingConsole::message(kind, text);
    }
    std::optional<std::uint64_t> toldAtMs;
    std::function<void(std::string_view)> onStatus; // before the line is kept

private:
    void note(std::string_view line) {
        if (line.starts_with(kLineLostPrefix) && !toldAtMs) toldAtMs = clock_.nowMs();
    }
    Clock& clock_;
};

// One run of a procedure on a fresh network whose line can be cut.
class Bench {
public:
    Bench() : network(testkit::networkFrom(kNetwork)) {
        auto cuttable = std::make_unique<UnpluggableLine>(
            clock, std::make_unique<sim::VirtualLineBackend>(clock, network));
        line = cuttable.get();
        session = std::make_unique<LinkSession>(console, clock, std::move(cuttable));
        configureForTool(session->port());
        session->port().setDevicePath("virtual");
        session->link().setWaitHook([this] { console.waited(); });
    }
    // A run that starts now reads the working folder's trust, as a face does.
    OperationContext context() {
        trust = ReadFirmwareTrust(session->trustSettings());
        return session->context(trust);
    }
    FirmwareTrust trust = FirmwareTrust::unread();
    std::vector<std::string> log(RunLog which) const {
        if (which == RunLog::Status) return console.statusLines;
        if (which == RunLog::Report) return console.reportLines;
        std::vector<std::string> texts;
        for (const RecordingConsole::Message& m : console.messages)
            texts.push_back(m.text);
        return texts;
    }
    bool upgrade(UnitType unitType, UpgradeType upgradeType, const std::string& terminalLA) {
        PortSession port(session->link());
        const TypeChoice choice = ChooseUnitAndUpgradeType(unitType, upgradeType);
        UpgradeSettings settings{unitType, upgradeType, false, "01", terminalLA};
        UpgradeRun run{context(), settings, choice.scope, image, units};
        return RunUpgrade(run).succeeded();
    }

    VirtualClock clock;
    sim::NetworkSimulator network;
    UnpluggableLine* line = nullptr; // owned by the session's port
    LossClockConsole console{clock};
    std::unique_ptr<LinkSession> session;
    FirmwareImage image;
    FoundUnits units;
    SurveyTable table;
};

struct Procedure {
    const char* name;
    RunLog log;
    std::function<void(Bench&)> prepare; // before the cut is set: uncut requests
    std::function<void(Bench&)> run;
    // Where the run's summary of the units it worked on begins: its lines are its result, one
    // block per unit tried before the loss, and not part of the bound.
    std::string summaryHeading = {};
};

void watchFastPoll(Bench& b) {
    b.console.onWait = [&b] {
        if (b.clock.nowMs() > 5000) b.session->control().requestStop();
    };
    runLineDiagnostics(b.context(), b.table, {true, "01", ""});
}

const std::vector<Procedure>& procedures() {
    static const std::vector<Procedure> all = {
        {"single upgrade",
         RunLog::Status,
         {},
         [](Bench& b) { b.upgrade(UnitType::Terminal, UpgradeType::SingleUnit, "01"); }},
        {"all at once",
         RunLog::Status,
         {},
         [](Bench& b) { b.upgrade(UnitType::Terminal, UpgradeType::AllUnits, "FF"); }},
        {"one at a time",
         RunLog::Status,
         {},
         [](Bench& b) { b.upgrade(UnitType::Terminal, UpgradeType::AllUnitsOneAtATime, "FF"); }},
        {"remote upgrade",
         RunLog::Status,
         {},
         [](Bench& b) { b.upgrade(UnitType::Remote, UpgradeType::SingleUnit, "05"); }},
        {"survey",
         RunLog::Report,
         {},
         [](Bench& b) {
             OperationContext context = b.context();
             surveyBus(context, b.table);
         }},
        {"comms test", RunLog::Report,
         [](Bench& b) {
             OperationContext context = b.context();
             surveyBus(context, b.table);
         },
         [](Bench& b) {
             runLineDiagnostics(b.context(), b.table, {false, "FFFF", "2"});
         },
         commsTestText::Heading},
        {"fast poll", RunLog::Report, {}, watchFastPoll},
        {"set LA",
         RunLog::MessageBox,
         {},
         [](Bench& b) {
             setLogicalAddress(b.context(), {false, "20000102", "0107"});
         }},
        {"clear memory",
         RunLog::MessageBox,
         {},
         [](Bench& b) {
             b.console.confirmAnswer = true;
             clearControllerMemory(b.context(), {"01", false});
         }},
        {"reset network", RunLog::Report, {}, [](Bench& b) { resetNetwork(b.context()); }},
        {"probe",
         RunLog::MessageBox,
         {},
         [](Bench& b) { probeResponseTime(b.session->link(), "0100"); }},
    };
    return all;
}

// What a run may say only when it did it.
const std::vector<std::string> kSuccessLines = {
    maintenanceText::Done, maintenanceText::ClearMemoryNotice, "Upgrade OK.", "Upgrade Ok"};

struct CutResult {
    LossTrace trace;
    bool successAfterLoss = false;
    unsigned portErrors = 0;
    std::uint64_t msAfterCut = 0;
    std::uint64_t msAfterTold = 0;
    bool portOpen = false, gateBusy = false;
    std::size_t requests = 0;
};

// cutAt: the request after which the line fails, 0 for before the first; none: it never fails.
CutResult runCut(const Procedure& procedure, std::optional<std::size_t> cutAt) {
    Bench bench;
    if (procedure.prepare) procedure.prepare(bench);
    bench.console.clearStatus();
    bench.console.clearReport();
    bench.console.messages.clear();
    if (cutAt) bench.line->cutAtRequest(*cutAt);
    const std::size_t before = bench.line->requests();
    bench.session->run([&](OperationContext&) { procedure.run(bench); }, procedure.log);
    CutResult result;
    std::vector<std::string> lines = bench.log(procedure.log);
    if (!procedure.summaryHeading.empty())
        lines.erase(std::ranges::find(lines, procedure.summaryHeading), lines.end());
    result.trace = traceOf(lines);
    const auto loss = std::ranges::find_if(
        lines, [](const std::string& line) { return line.starts_with(kLineLostPrefix); });
    result.successAfterLoss = std::any_of(loss, lines.end(), [](const std::string& line) {
        return std::ranges::find(kSuccessLines, line) != kSuccessLines.end();
    });
    result.portErrors = bench.session->link().counts().of(ExchangeOutcome::PortError);
    result.msAfterCut = bench.line->cut() ? bench.clock.nowMs() - bench.line->cutAtMs() : 0;
    if (bench.console.toldAtMs) result.msAfterTold = bench.clock.nowMs() - *bench.console.toldAtMs;
    result.portOpen = bench.session->port().IsOpen();
    result.gateBusy = bench.session->busy();
    result.requests = bench.line->requests() - before;
    // The other logs never hear of it.
    for (RunLog other : {RunLog::Status, RunLog::Report, RunLog::MessageBox})
        if (other != procedure.log) result.trace.lossLines += traceOf(bench.log(other)).lossLines;
    return result;
}

class LineLost : public ::testing::TestWithParam<std::size_t> {
protected:
    LineLost() {
        writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 3000, 5);
        writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
    }
    WorkingFolder folder;
};

TEST_P(LineLost, SaidOnceAndTheRunEndsAtOnceWhereverTheLineFails) {
    const Procedure& procedure = procedures()[GetParam()];
    const std::size_t requests = runCut(procedure, std::nullopt).requests;
    ASSERT_GT(requests, 0u) << procedure.name;
    const std::size_t step = std::max<std::size_t>(1, requests / kCutsPerProcedure);
    int maxLinesAfter = 0, told = 0;
    unsigned maxExchangesAfter = 0;
    std::uint64_t maxMsTold = 0, maxMsCut = 0;
    for (std::size_t cut = 0; cut <= requests; cut += cut == 0 ? 1 : step) {
        const CutResult r = runCut(procedure, cut);
        SCOPED_TRACE(std::string(procedure.name) + ", line cut at request " + std::to_string(cut));
        // Only a run that tried the line after the cut can know of it.
        EXPECT_EQ(r.trace.lossLines, r.portErrors > 0 ? 1 : 0);
        if (r.trace.lossLines == 1) {
            ++told;
            EXPECT_EQ(r.trace.lossLine, "Serial line lost: Input/output error");
        }
        if (cut == 0) {
            EXPECT_EQ(r.trace.lossLines, 1);
        }
        EXPECT_FALSE(r.successAfterLoss);
        EXPECT_LE(r.trace.linesAfter, kMaxLinesAfterLoss);
        EXPECT_LE(r.portErrors, kMaxExchangesAfterLoss);
        EXPECT_LE(r.msAfterTold, kMaxMsAfterTold);
        EXPECT_LE(r.msAfterCut, kMaxMsAfterCut);
        EXPECT_FALSE(r.portOpen);
        EXPECT_FALSE(r.gateBusy);
        maxLinesAfter = std::max(maxLinesAfter, r.trace.linesAfter);
        maxExchangesAfter = std::max(maxExchangesAfter, r.portErrors);
        maxMsTold = std::max(maxMsTold, r.msAfterTold);
        maxMsCut = std::max(maxMsCut, r.msAfterCut);
    }
    EXPECT_GT(told, 0);
    std::cout << procedure.name << ": " << requests << " requests, cut every " << step
              << "; most lines after the loss " << maxLinesAfter << ", exchanges after it "
              << maxExchangesAfter << ", virtual ms to the end from the line " << maxMsTold
              << ", from the cut " << maxMsCut << "\n";
}

INSTANTIATE_TEST_SUITE_P(EveryProcedure, LineLost,
                         ::testing::Range<std::size_t>(0, procedures().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             std::string name = procedures()[info.param].name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// The line fails in the quiet moment before a broadcast of the all-at-once upgrade, so the
// broadcast is the first to find it gone: the five seconds that would let the units erase or
// restart have no units to wait for.
class BroadcastFindsLineLost : public ::testing::TestWithParam<const char*> {
protected:
    BroadcastFindsLineLost() {
        writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 3000, 5);
    }
    WorkingFolder folder;
};

TEST_P(BroadcastFindsLineLost, NoPauseFollowsIt) {
    Bench bench;
    const std::string before = GetParam();
    bench.console.onStatus = [&](std::string_view line) {
        if (line == before && !bench.line->cut()) bench.line->cutAtRequest(0);
    };
    bench.session->run(
        [&](OperationContext&) { bench.upgrade(UnitType::Terminal, UpgradeType::AllUnits, "FF"); });
    ASSERT_TRUE(bench.line->cut());
    ASSERT_TRUE(bench.console.toldAtMs);
    EXPECT_LE(bench.clock.nowMs() - bench.line->cutAtMs(), kMaxMsAfterTold);
    EXPECT_EQ(traceOf(bench.console.statusLines).lossLines, 1);
}

INSTANTIATE_TEST_SUITE_P(AllAtOnce, BroadcastFindsLineLost,
                         ::testing::Values("Erase Flash...", "Resetting unit..."),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? "Erase" : "Reset";
                         });

} // namespace
