#include "cellRun.h"
#include "trust/folderTrust.h"

#include "cells.h"
#include "lineWatch.h"
#include "link/linkSession.h"
#include "sim/virtualLineBackend.h"
#include "surveyJudge.h"
#include "tools/networkSurvey.h"
#include "upgrade/dispatcher.h"

#include <memory>

namespace faultmatrix {

namespace {

// The network on an in-memory line sharing a virtual clock, with the row's faults on the line.
struct VirtualBench {
    VirtualBench(Column column, const FaultRow& row, std::uint64_t seed, int extraAttempts)
        : network(networkOf(column, row, seed)),
          session(console, clock,
                  std::make_unique<LineWatch>(
                      std::make_unique<sim::VirtualLineBackend>(clock, network), tally)) {
        configureForTool(session.port());
        session.port().setDevicePath("virtual");
        session.link().setMinimumTimeout(row.minimumTimeout);
        session.link().setExtraAttempts(extraAttempts);
        session.link().setWaitHook([this] { console.waited(); });
        session.control().begin();
    }
    LineBudget budget(const FaultRow& row) {
        return {row.minimumTimeout, row.faults.delayMs,
                baudRateBitsPerSecond(session.port().ComPortSpeed()),
                session.link().extraAttempts()};
    }
    // A run that starts now reads the working folder's trust, as a face does.
    OperationContext context() {
        trust = ReadFirmwareTrust(session.trustSettings());
        return session.context(trust);
    }
    FirmwareTrust trust = FirmwareTrust::unread();
    // What the faults did to the exchanges: replies lost or refused, frames read but not
    // taken (stale, corrupt or late ones), noise.
    unsigned lineEvents() {
        const ExchangeCounts& counts = session.link().counts();
        const unsigned accepted = counts.of(ExchangeOutcome::Accepted);
        const unsigned extraFrames = tally.frames > accepted ? tally.frames - accepted : 0;
        return counts.of(ExchangeOutcome::TimedOut) + extraFrames + tally.noiseBytes;
    }

    VirtualClock clock;
    LineTally tally;
    sim::NetworkSimulator network;
    RecordingConsole console;
    LinkSession session;
};

RunRecord runUpgradeCell(Column column, const FaultRow& row, std::uint64_t seed,
                         int extraAttempts) {
    VirtualBench bench(column, row, seed, extraAttempts);
    const CellSetup setup = setupOf(column);
    FirmwareImage image;
    FoundUnits units;
    UpgradeRun run{bench.context(), setup.settings, setup.scope, image, units};
    bool reported = false;
    RunRecord record = guarded(
        bench.console, bench.clock, boundOf(column, bench.budget(row)),
        [&] {
            bench.session.port().OpenPort();
            bench.session.port().SuspendPolling();
            reported = RunUpgrade(run).succeeded();
        },
        [&](std::string& detail) {
            return judgeUpgradeRun(column, bench.network.network(), reported,
                                   bench.console.statusLines, detail);
        });
    record.lineEvents = bench.lineEvents();
    return record;
}

RunRecord runSurveyCell(const FaultRow& row, std::uint64_t seed, int extraAttempts) {
    VirtualBench bench(Column::Survey, row, seed, extraAttempts);
    auto table = std::make_unique<SurveyTable>();
    OperationContext context = bench.context();
    RunRecord record = guarded(
        bench.console, bench.clock, boundOf(Column::Survey, bench.budget(row)),
        [&] { surveyBus(context, *table); },
        [&](std::string& detail) {
            return judgeSurvey(bench.network.network(), *table, bench.console.reportLines, detail);
        });
    record.lineEvents = bench.lineEvents();
    return record;
}

} // namespace

const char* columnName(Column column) {
    switch (column) {
    case Column::Single:
        return "single unit";
    case Column::GlobalTerminals:
        return "all terminals";
    case Column::GlobalControllers:
        return "all controllers";
    case Column::Remote:
        return "remote";
    case Column::Survey:
        return "survey";
    }
    return "";
}

const char* verdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Completed:
        return "completed";
    case Verdict::FailedClearly:
        return "failed";
    case Verdict::FailedSilent:
        return "silent";
    case Verdict::Missed:
        return "missed";
    case Verdict::FalseSuccess:
        return "false";
    case Verdict::Hang:
        return "hang";
    }
    return "";
}

RunRecord runCell(Column column, const FaultRow& row, std::uint64_t seed, int extraAttempts) {
    if (column == Column::Survey) return runSurveyCell(row, seed, extraAttempts);
    return runUpgradeCell(column, row, seed, extraAttempts);
}

} // namespace faultmatrix
