#pragma once
// One site run of the sweep as nexalo-cli site --remotes --json makes it: a session of its own
// on the simulated line in virtual time (a fresh process), the bus's outcome turned into the
// exit status, the verdict line, the JSON report and the history records the run wrote. One
// event may strike at request k: the line lost for good, one or two Stops, the unit addressed
// losing its power, or the reply lost.

#include "link/linkSession.h"
#include "sim/networkSimulator.h"
#include "sim/virtualLineBackend.h"
#include "site/siteReport.h"
#include "site/siteRun.h"
#include "tests/support/folderTrust.h"
#include "tests/support/recordingConsole.h"
#include "tests/unplug/unpluggableLine.h"
#include "trust/history.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace sweep {

enum class SiteEvent { None, LineCut, OneStop, TwoStops, PowerLoss, ReplyLost };

inline const char* eventName(SiteEvent event) {
    switch (event) {
    case SiteEvent::None:
        return "none";
    case SiteEvent::LineCut:
        return "line cut";
    case SiteEvent::OneStop:
        return "one Stop";
    case SiteEvent::TwoStops:
        return "two Stops";
    case SiteEvent::PowerLoss:
        return "power loss";
    case SiteEvent::ReplyLost:
        return "reply lost";
    }
    return "?";
}

// Long enough to outlast a procedure's repeats: the unit misses its step, or comes back in
// its boot loader.
inline constexpr std::uint32_t kPowerOffMs = 60000;

// The site simulated on one virtual clock; runs one after another on it, as processes would.
struct SweepSite {
    explicit SweepSite(sim::Network network) : network(std::move(network)) {}
    VirtualClock clock;
    sim::NetworkSimulator network;
};

struct SiteRunEnd {
    SiteBus bus;
    Outcome outcome;                       // the exit status is made from it: 0 when it succeeded
    std::string verdict;                   // the report's closing line
    nlohmann::json report;                 // the --json report
    nlohmann::json json;                   // its bus
    std::vector<HistoryRecord> history;    // the records this run wrote
    std::vector<std::string> historyNotes; // its lines that did not read as records
    std::size_t struckAt = 0;              // the request (from the run's first) a Stop was taken at
    bool overran = false;                  // still running after kRunLimitMs: stopped at once
};

// A run that has not ended by itself in this much virtual time never would for an operator.
inline constexpr std::uint64_t kRunLimitMs = 30 * 60 * 1000;

// The unit (or the remote) that loses its power as request k arrives, for kPowerOffMs.
struct PowerTarget {
    std::string name;
    bool remote = false;
    std::uint32_t remoteRequestsBefore = 0; // the relayed requests the remote hears first
};

inline void strikePower(sim::Network& network, const PowerTarget& target, std::size_t k) {
    sim::Unit& unit = network.units[static_cast<std::size_t>(sim::findUnit(network, target.name))];
    if (target.remote)
        unit.remote.powerLoss = sim::PowerLoss{target.remoteRequestsBefore, kPowerOffMs};
    else
        unit.faults.powerLoss =
            sim::PowerLoss{0, kPowerOffMs, false, static_cast<std::uint32_t>(k - 1)};
}

// What strikes a run, at request k counted from the run's first (1).
struct Strike {
    SiteEvent event = SiteEvent::None;
    std::size_t k = 0;
    std::optional<PowerTarget> target; // for a power loss
};

// Runs the site once. onStatus hears each status line as it is written.
inline SiteRunEnd runSiteOnce(SweepSite& site, const Strike& strike = {},
                              std::function<void(const std::string&)> onStatus = {}) {
    const SiteEvent event = strike.event;
    const std::size_t k = strike.k;
    std::filesystem::remove(kHistoryFileName);
    RecordingConsole console;
    console.onStatus = std::move(onStatus);
    auto line = std::make_unique<UnpluggableLine>(
        site.clock, std::make_unique<sim::VirtualLineBackend>(site.clock, site.network));
    UnpluggableLine& cuttable = *line;
    LinkSession session(console, site.clock, std::move(line));
    configureForTool(session.port());
    session.port().setDevicePath("virtual");
    session.link().setWaitHook([&console] { console.waited(); });

    sim::Network& network = site.network.network();
    const std::size_t first = network.frames.size();
    const std::size_t at = first + k; // request k's number among the simulator's frames
    const std::uint64_t startedMs = site.clock.nowMs();
    bool stopped = false;
    SiteRunEnd end;
    if (event == SiteEvent::LineCut) cuttable.cutAtRequest(k);
    if (event == SiteEvent::ReplyLost) network.lostReplyFrame = at;
    if (event == SiteEvent::PowerLoss && strike.target) strikePower(network, *strike.target, at);
    const bool stops = event == SiteEvent::OneStop || event == SiteEvent::TwoStops;
    console.onWait = [&] {
        if (!end.overran && site.clock.nowMs() - startedMs > kRunLimitMs) {
            end.overran = true;
            session.control().requestStopNow();
        }
        if (!stops || stopped || network.frames.size() < at) return;
        stopped = true;
        end.struckAt = network.frames.size() - first;
        session.control().requestStop();
        if (event == SiteEvent::TwoStops) session.control().requestStop();
    };

    const Outcome ran = session.run([&](OperationContext& given) {
        TrustedContext trusted(given);
        end.bus = runSite(trusted.context, "COM1", {false, true, ControllerModel::AB});
    });
    // As the tool does: an operation that itself ended badly is the bus's end.
    if (!ran.succeeded()) end.bus.end = ran;
    network.lostReplyFrame = 0;
    end.outcome = siteOutcome(end.bus);
    end.verdict = siteResultLines(end.bus).back();
    end.report = nlohmann::json::parse(siteReportJson(siteReportOf("sweep", {}, {}, {end.bus})));
    end.json = end.report["buses"][0];
    HistoryRead read = ReadHistory();
    end.history = std::move(read.records);
    end.historyNotes = std::move(read.notes);
    return end;
}

} // namespace sweep
