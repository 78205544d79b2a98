// How a site run ends, in virtual time: a line lost, a Stop or an error at the moments that
// used to be taken for a success. The verdict line, the report and the bus's outcome must all
// say the same, and nothing that changes a unit may go out after a Stop.

#include "link/catalogue.h"
#include "link/outcome.h"
#include "sim/virtualLineBackend.h"
#include "site/siteReport.h"
#include "site/siteRun.h"
#include "tests/site/siteFixture.h"
#include "tests/support/recordingConsole.h"
#include "tests/support/simBus.h"
#include "tests/unplug/unpluggableLine.h"
#include "trust/folderTrust.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

// One controller that is current, two terminals behind it: one "ALL units" step upgrades both.
constexpr char kTwoTerminals[] = R"({ "seed": 3, "controllers": [
  { "name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
    "version": "4.20", "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" } ] } ] })";

// The commands of a survey: information, identification, acknowledgement, boundary, lists.
bool surveyCommand(const std::string& command) {
    for (const char* prefix : {"0A", "02", "03", "06", "94"})
        if (command.starts_with(prefix)) return true;
    return false;
}

// A face that can act at a status line the run writes, before it is kept.
class WatchingConsole : public RecordingConsole {
public:
    void status(std::string_view line) override {
        RecordingConsole::status(line);
        if (onStatus) onStatus(line);
    }
    std::function<void(std::string_view)> onStatus;
};

// A site on a line in virtual time that the test can pull out, as an adapter is.
class SiteEnd : public ::testing::Test {
protected:
    void start(const std::string& networkJson) {
        network = std::make_unique<sim::NetworkSimulator>(testkit::networkFrom(networkJson));
        auto cuttable = std::make_unique<UnpluggableLine>(
            clock, std::make_unique<sim::VirtualLineBackend>(clock, *network));
        line = cuttable.get();
        session = std::make_unique<LinkSession>(console, clock, std::move(cuttable));
        configureForTool(session->port());
        session->port().setDevicePath("virtual");
        session->link().setWaitHook([this] { console.waited(); });
        session->control().begin();
    }
    SiteBus run(const SiteOptions& options = {}) {
        const FirmwareTrust trust = ReadFirmwareTrust(session->trustSettings());
        OperationContext context = session->context(trust);
        return runSite(context, "COM1", options);
    }
    const std::vector<sim::ReceivedFrame>& frames() const { return network->network().frames; }
    static const SiteUnit& unitAt(const SiteBus& bus, const std::string& address) {
        for (const SiteUnit& unit : bus.units)
            if (unit.address == address) return unit;
        throw std::runtime_error("no unit " + address);
    }
    static nlohmann::json reportOf(const SiteBus& bus) {
        return nlohmann::json::parse(
            siteReportJson(siteReportOf("test", {}, {}, {bus})))["buses"][0];
    }
    bool said(const std::string& part) const {
        const auto has = [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        };
        return std::ranges::any_of(console.reportLines, has) ||
               std::ranges::any_of(console.statusLines, has);
    }

    WorkingFolder folder;
    WatchingConsole console;
    VirtualClock clock;
    std::unique_ptr<sim::NetworkSimulator> network;
    std::unique_ptr<LinkSession> session;
    UnpluggableLine* line = nullptr;

public:
    SiteEnd() { sitetest::copySamples(folder.path()); }
};

TEST_F(SiteEnd, ALineLostAfterTheLastConfirmationIsNoSuccessAnywhere) {
    start(kTwoTerminals);
    // The second terminal has answered from its new firmware; the closing broadcasts and the
    // verifying survey never reach the bus.
    console.onStatus = [&](std::string_view said) {
        if (said == "Unit 0102 upgrade OK." && !line->cut()) line->cutAtRequest(0);
    };
    const SiteBus bus = run();
    ASSERT_TRUE(line->cut());

    EXPECT_EQ(siteOutcome(bus), Outcome::lineLost("line lost after the last upgrade"));
    EXPECT_FALSE(bus.verified);
    for (const char* address : {"0101", "0102"}) {
        // Confirmed running, and no survey read the version it runs.
        EXPECT_EQ(unitAt(bus, address).result, SiteResult::NotVerified) << address;
        EXPECT_FALSE(unitAt(bus, address).after) << address;
    }
    EXPECT_EQ(siteResultLines(bus).back(),
              "Site not verified (COM1): line lost after the last upgrade.");
    EXPECT_FALSE(said("Site up to date"));
    EXPECT_FALSE(said("Site: survey to verify"));
    const nlohmann::json report = reportOf(bus);
    EXPECT_EQ(report["end"], "line lost");
    EXPECT_EQ(report["reason"], "line lost after the last upgrade");
    EXPECT_EQ(report["verified"], false);
    EXPECT_TRUE(report["units"][1]["after"].is_null());
}

TEST_F(SiteEnd, AStopDuringTheFirstSurveyOfALargeSiteEndsWithinOneRequest) {
    // 24 controllers of 8 terminals each, every terminal behind its file.
    std::string controllers;
    for (int c = 1; c <= 24; ++c) {
        char la[3];
        std::snprintf(la, sizeof la, "%02X", c);
        std::string terminals;
        for (int t = 1; t <= 8; ++t) {
            char entry[160];
            std::snprintf(entry, sizeof entry,
                          R"(%s{"name": "t%d-%d", "la": "%02X", "fixedAddress": "2000%02X%02X",
                          "productId": 3, "version": "1.02"})",
                          t == 1 ? "" : ",", c, t, t, c, t);
            terminals += entry;
        }
        controllers += std::string(c == 1 ? "" : ",") + R"({"name": "c)" + std::to_string(c) +
                       R"(", "model": "AB", "la": ")" + la + R"(", "fixedAddress": "100000)" + la +
                       R"(", "productId": 5, "version": "4.20", "terminals": [)" + terminals + "]}";
    }
    start(R"({"seed": 5, "controllers": [)" + controllers + "]}");

    std::size_t framesAtStop = 0;
    std::uint64_t stoppedAtMs = 0;
    console.onWait = [&] {
        if (stoppedAtMs == 0 && frames().size() >= 30) {
            stoppedAtMs = clock.nowMs();
            framesAtStop = frames().size();
            session->control().requestStop();
        }
    };
    const SiteBus bus = run();
    ASSERT_GT(stoppedAtMs, 0u);

    // The request in flight is answered or times out, and nothing is asked after it.
    EXPECT_LE(clock.nowMs() - stoppedAtMs, tr::SurveyUnitInfo.timeout);
    EXPECT_LE(frames().size(), framesAtStop + 2);
    EXPECT_TRUE(std::ranges::all_of(
        frames(), [](const sim::ReceivedFrame& f) { return surveyCommand(f.command); }));
    EXPECT_EQ(siteOutcome(bus),
              (Outcome{OutcomeKind::Stopped, "stopped during the first survey", {}}));
    EXPECT_TRUE(bus.units.empty());
    EXPECT_FALSE(said("<< Site Plan >>"));
    EXPECT_TRUE(said("Finished."));
}

TEST_F(SiteEnd, AStopDuringTheVerifyingSurveyLeavesTheStepsVerdictsUnverified) {
    start(kTwoTerminals);
    std::size_t framesAtVerify = 0;
    console.onStatus = [&](std::string_view said) {
        if (said == "Site: survey to verify") framesAtVerify = frames().size();
    };
    console.onWait = [&] {
        if (framesAtVerify > 0 && frames().size() >= framesAtVerify + 4)
            session->control().requestStop();
    };
    const SiteBus bus = run();
    ASSERT_GT(framesAtVerify, 0u);

    EXPECT_EQ(siteOutcome(bus),
              (Outcome{OutcomeKind::Stopped, "stopped during the verifying survey", {}}));
    EXPECT_FALSE(bus.verified);
    for (const char* address : {"0101", "0102"}) {
        // Confirmed running, and no survey read the version it runs.
        EXPECT_EQ(unitAt(bus, address).result, SiteResult::NotVerified) << address;
        EXPECT_FALSE(unitAt(bus, address).after) << address;
    }
    // The survey ended at the Stop: a whole one asks eleven times, the identification, the
    // controller, its list and both terminals.
    EXPECT_LE(frames().size(), framesAtVerify + 7);
    EXPECT_FALSE(said("Site up to date"));
    EXPECT_EQ(reportOf(bus)["verified"], false);
    EXPECT_EQ(siteResultLines(bus).back(), "Site run stopped (COM1): not verified.");
}

TEST_F(SiteEnd, ARemoteTooOldToWriteIsRefusedNotUpgraded) {
    start(R"({ "seed": 2, "controllers": [
      { "name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
        "version": "4.20", "terminals": [
          { "name": "r1", "la": "05", "fixedAddress": "20000105", "productId": 31,
            "version": "1.05", "remote": { "productId": 31, "version": "01FF" } } ] } ] })");
    const SiteBus bus = run({false, true, ControllerModel::AB});
    const SiteUnit& remote = unitAt(bus, "0105");
    ASSERT_EQ(remote.action, SiteAction::Upgrade);
    EXPECT_EQ(remote.result, SiteResult::Refused);
    EXPECT_EQ(remote.reason, "Unable to Upgrade Remote - old version < V2.00 !");
    EXPECT_FALSE(siteOutcome(bus).succeeded());
    EXPECT_EQ(reportOf(bus)["units"][1]["result"], "refused");
}

TEST_F(SiteEnd, AnErrorKeepsTheUnitsKnownAndSaysSo) {
    start(kTwoTerminals);
    console.onStatus = [](std::string_view said) {
        if (said.starts_with("Site: terminals")) throw std::runtime_error("disk full");
    };
    const SiteBus bus = run();
    EXPECT_EQ(bus.end, Outcome::error("disk full"));
    EXPECT_TRUE(bus.opened);
    EXPECT_EQ(bus.units.size(), 3u);
    EXPECT_FALSE(bus.verified);
    EXPECT_FALSE(session->port().IsOpen());
    ASSERT_FALSE(console.messages.empty());
    EXPECT_EQ(console.messages.back().text, "disk full");
    const nlohmann::json report = reportOf(bus);
    EXPECT_EQ(report["end"], "error");
    EXPECT_EQ(report["reason"], "disk full");
    EXPECT_EQ(report["units"].size(), 3u);
}

} // namespace
