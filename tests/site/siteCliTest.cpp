// nexalo-cli site, survey and diff as processes, against simulated sites over pseudo-terminals.

#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/cli/runProcess.h"
#include "tests/site/siteFixture.h"
#include "tests/support/rawPty.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>

using nlohmann::json;

namespace {

// One controller whose own firmware is current, a terminal behind on it, one already current:
// a whole run takes one "ALL units" upgrade.
const char* kSmallSite = R"({
  "controllers": [
    {"name": "controller", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "4.20",
     "terminals": [
       {"name": "behind", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02"},
       {"name": "current", "la": "02", "fixedAddress": "20000102", "productId": 6, "version": "2.21"}]}]})";

class SiteCli : public ::testing::Test {
protected:
    SiteCli() { sitetest::copySamples(folder.path()); }
    // A simulator serving network behind the link name in the working folder.
    void serve(const std::string& link, const std::string& network) {
        simulators.push_back(
            std::make_unique<sim::PtySimulator>(*sim::parseNetwork(network).network));
        ASSERT_TRUE(simulators.back()->start(folder.file(link))) << simulators.back()->error();
    }
    ProcessResult cli(const std::vector<std::string>& args) {
        return runProcess(NEXALO_CLI_PATH, args, folder.path().string());
    }
    json document(const std::string& name) {
        std::ifstream in(folder.file(name));
        return json::parse(in, nullptr, false);
    }
    void write(const std::string& name, const json& doc) {
        std::ofstream(folder.file(name)) << doc;
    }

    WorkingFolder folder;
    std::vector<std::unique_ptr<sim::PtySimulator>> simulators;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(SiteCli, PlansSeveralBusesAtOnceAndAPortThatDoesNotOpenFailsOnlyItsBus) {
    serve("COM1", sitetest::mixedSite());
    serve("COM2", kSmallSite);
    const ProcessResult result = cli({"--port", "COM1", "--port", "COM2", "--port", "COM9", "site",
                                      "--plan", "--json", "plan.json"});
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    // Each bus's lines say their bus; the run's verdict, the worst bus's, closes them.
    std::vector<std::string> lines = linesOf(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Site not verified (COM9): Failed to open COM port.");
    lines.pop_back();
    for (const std::string& line : lines)
        EXPECT_TRUE(line.starts_with("[COM1] ") || line.starts_with("[COM2] ") ||
                    line.starts_with("[COM9] "))
            << line;
    EXPECT_NE(result.out.find("[COM9] Failed to open COM port"), std::string::npos);
    EXPECT_NE(result.out.find("[COM2] << Site Plan >>"), std::string::npos);

    const json plan = document("plan.json");
    ASSERT_EQ(plan["buses"].size(), 3u);
    EXPECT_EQ(plan["buses"][0]["units"].size(), 11u);
    EXPECT_EQ(plan["buses"][1]["units"][1]["action"], "upgrade");
    EXPECT_EQ(plan["buses"][1]["units"][2]["action"], "up to date");
    EXPECT_EQ(plan["buses"][2]["opened"], false);
    EXPECT_EQ(simulators[1]->snapshot().units[1].version, 0x0102);

    // The two buses that open: every planned unit found, nothing to verify; their survey
    // lists both networks by port, and reads as the plan did.
    EXPECT_EQ(cli({"--port", "COM1", "--port", "COM2", "site", "--plan", "--json", "both.json"})
                  .exitStatus,
              0);
    EXPECT_EQ(
        cli({"--port", "COM1", "--port", "COM2", "survey", "--json", "surveys.json"}).exitStatus,
        0);
    EXPECT_EQ(document("surveys.json")["buses"][1]["port"], "COM2");
    const ProcessResult same = cli({"diff", "surveys.json", "both.json"});
    EXPECT_EQ(same.exitStatus, 0) << same.out << same.err;
    const ProcessResult usage = cli({"--port", "COM1", "--port", "COM2", "upgrade"});
    EXPECT_EQ(usage.exitStatus, 2);
    EXPECT_NE(usage.err.find("site and survey"), std::string::npos) << usage.err;
}

TEST_F(SiteCli, DiffReadsSurveysAndSiteReportsAndNamesEachChange) {
    serve("COM1", sitetest::mixedSite());
    ASSERT_EQ(cli({"survey", "--json", "survey.json"}).exitStatus, 0);
    ASSERT_EQ(cli({"site", "--plan", "--json", "plan.json"}).exitStatus, 0);
    // The same site read twice, once per kind of document (a remote's version is its second).
    const ProcessResult same = cli({"diff", "survey.json", "plan.json"});
    EXPECT_EQ(same.exitStatus, 0) << same.out << same.err;
    EXPECT_EQ(same.out, "");

    json changed = document("plan.json");
    json& units = changed["buses"][0]["units"];
    units[2]["before"] = "2.21";    // 20000101
    units[3]["address"] = "0209";   // 20000102
    units.erase(units.begin() + 4); // 20000103
    units.push_back(units[1]);
    units.back()["fixedAddress"] = "10000009";
    write("changed.json", changed);
    const ProcessResult diff = cli({"diff", "survey.json", "changed.json"});
    EXPECT_EQ(diff.exitStatus, 1) << diff.err;
    EXPECT_EQ(linesOf(diff.out),
              (std::vector<std::string>{
                  "10000009 added: [COM1] 0100 05:Nexalo QRM-A/C Controller V2.01",
                  "20000101 version: 1.02 -> 2.21", "20000102 moved: 0102 -> [COM1] 0209",
                  "20000103 removed: 0103 06:Nexalo Single Door Module V2.21"}))
        << diff.out;

    std::ofstream(folder.file("damaged.json")) << R"({"buses": [{"port": "COM1", "units": [{"add)";
    write("other.json", json{{"name", "not an inventory"}});
    for (const char* bad : {"damaged.json", "other.json", "missing.json"}) {
        const ProcessResult refused = cli({"diff", "survey.json", bad});
        EXPECT_EQ(refused.exitStatus, 2) << bad;
        EXPECT_NE(refused.err.find(bad), std::string::npos) << refused.err;
    }
}

TEST_F(SiteCli, BringsASiteUpToDateAndTheDiffShowsWhatChanged) {
    serve("COM1", kSmallSite);
    ASSERT_EQ(cli({"survey", "--json", "before.json"}).exitStatus, 0);
    const ProcessResult run = cli({"site", "--json", "after.json"});
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Site: terminals of controller 01, ALL units"), std::string::npos);
    EXPECT_NE(run.out.find("Site up to date: every planned unit verified."), std::string::npos);
    // No terminal: no progress line, nothing that a script would have to strip.
    EXPECT_EQ((run.out + run.err).find_first_of("\r\x1b"), std::string::npos) << run.err;
    const sim::Network network = simulators[0]->snapshot();
    EXPECT_EQ(network.units[1].version, 0x0215);
    EXPECT_EQ(network.units[2].upgradeMode, false);

    const ProcessResult diff = cli({"diff", "before.json", "after.json"});
    EXPECT_EQ(diff.exitStatus, 1);
    EXPECT_EQ(diff.out, "20000101 version: 1.02 -> 2.21\n");
    // Up to date now: a second run finds nothing to do.
    const ProcessResult again = cli({"site"});
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_EQ(again.out.find("Entering Upgrade mode"), std::string::npos);
}

// The last line printed.
std::string lastLine(const std::string& out) {
    const std::vector<std::string> lines = linesOf(out);
    return lines.empty() ? std::string() : lines.back();
}

// The report's outcome, the bus's, the exit status and the last line printed say one thing.
void expectOneVerdict(const ProcessResult& run, const json& report, const std::string& kind) {
    EXPECT_EQ(report["outcome"]["kind"], kind) << report["outcome"];
    EXPECT_EQ(run.exitStatus, kind == "completed" ? 0 : 1) << run.out;
    EXPECT_EQ(report["outcome"]["verdict"], lastLine(run.out)) << run.out;
    EXPECT_EQ(report["outcome"]["reason"].is_null(), kind == "completed") << report["outcome"];
    EXPECT_EQ(report["buses"][0]["outcome"], report["outcome"]);
    const std::regex utc("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
    EXPECT_TRUE(std::regex_match(report["started"].get<std::string>(), utc)) << report["started"];
    EXPECT_TRUE(std::regex_match(report["ended"].get<std::string>(), utc)) << report["ended"];
    EXPECT_LE(report["started"].get<std::string>(), report["ended"].get<std::string>());
    EXPECT_TRUE(report["tool"].get<std::string>().starts_with("nexalo-cli ")) << report["tool"];
}

// A plan, its options after the command: its summary closes it and is the report's verdict.
TEST_F(SiteCli, ThePlansSummaryIsTheReportsVerdictAndItsLastLine) {
    serve("COM1", kSmallSite);
    const ProcessResult plan = cli({"site", "--plan", "--port", "COM1", "--json", "plan.json"});
    expectOneVerdict(plan, document("plan.json"), "completed");
    EXPECT_EQ(lastLine(plan.out), "Plan (COM1): would upgrade 1: 0101.");
    EXPECT_EQ(simulators[0]->snapshot().units[1].version, 0x0102); // a plan sends nothing
}

// nexalo-cli site --json site.json on the small site, given Ctrl-C times once pages reach the
// unit (50 ms apart); false in interrupted when no page came.
ProcessResult interruptedInThePages(sim::PtySimulator& simulator, const std::string& folder,
                                    int times, bool& interrupted) {
    return runProcess(NEXALO_CLI_PATH, {"site", "--json", "site.json"}, folder, [&](pid_t pid) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            const sim::Network now = simulator.snapshot();
            const auto pages = std::ranges::count_if(
                now.broadcasts, [](const auto& f) { return f.command.starts_with("E3"); });
            if (pages >= 2) {
                for (int i = 0; i < times; ++i) {
                    interrupted = kill(pid, SIGINT) == 0;
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

// Ctrl-C once pages reach the unit: the unit finishes and runs, and the run stops after it.
TEST_F(SiteCli, CtrlCWhileAUnitIsWrittenLetsItFinishFirst) {
    serve("COM1", kSmallSite);
    bool interrupted = false;
    const ProcessResult run =
        interruptedInThePages(*simulators.front(), folder.path().string(), 1, interrupted);
    ASSERT_TRUE(interrupted) << run.out;
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_NE(run.out.find("Stopping after 0101 (about "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("; Ctrl-C again to stop at once"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Unit 0101 upgrade OK."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Site run stopped"), std::string::npos) << run.out;
    expectOneVerdict(run, document("site.json"), "stopped");
    EXPECT_EQ(run.out.find("Site: survey to verify"), std::string::npos) << run.out;
    const sim::Network seen = simulators.front()->snapshot();
    const sim::Unit& behind = seen.units[1];
    EXPECT_FALSE(behind.upgradeMode);
    EXPECT_EQ(behind.version, 0x0215); // 2.21
}

// A second Ctrl-C stops at once: the unit stays in its boot loader, and the run fails.
TEST_F(SiteCli, ASecondCtrlCLeavesTheUnitInItsBootLoader) {
    serve("COM1", kSmallSite);
    bool interrupted = false;
    const ProcessResult run =
        interruptedInThePages(*simulators.front(), folder.path().string(), 2, interrupted);
    ASSERT_TRUE(interrupted) << run.out;
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_NE(run.out.find("Left in boot loader for the next run: 0101"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("left in boot loader: 0101"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Unit 0101 upgrade OK."), std::string::npos) << run.out;
    EXPECT_TRUE(simulators.front()->snapshot().units[1].upgradeMode);
}

// The third Ctrl-C ends the program at once, and the report still says what it left.
TEST_F(SiteCli, AThirdCtrlCEndsAtOnceAndTheReportSaysWhatItLeft) {
    serve("COM1", kSmallSite);
    bool interrupted = false;
    const ProcessResult run =
        interruptedInThePages(*simulators.front(), folder.path().string(), 3, interrupted);
    ASSERT_TRUE(interrupted) << run.out;
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_EQ(lastLine(run.out), "nexalo-cli: ended at once; left in boot loader: 0101") << run.out;
    const json report = document("site.json");
    EXPECT_EQ(report["outcome"]["kind"], "stopped") << report;
    EXPECT_EQ(report["buses"][0]["units"][1]["result"], "left in boot loader") << report;
    EXPECT_NE(report["outcome"]["verdict"].get<std::string>().find("left in boot loader: 0101"),
              std::string::npos)
        << report["outcome"];
    EXPECT_TRUE(simulators.front()->snapshot().units[1].upgradeMode);
}

TEST_F(SiteCli, CtrlCStopsEveryBus) {
    serve("COM1", kSmallSite);
    serve("COM2", kSmallSite);
    const ProcessResult run =
        runProcess(NEXALO_CLI_PATH, {"--port", "COM1", "--port", "COM2", "site"},
                   folder.path().string(), [](pid_t pid) {
                       std::this_thread::sleep_for(std::chrono::seconds(3));
                       kill(pid, SIGINT);
                   });
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    // Each bus says it stopped, unverified; the units in hand when it came finished, so no unit
    // is left in its boot loader.
    for (const std::string port : {"COM1", "COM2"}) {
        const std::string bus = "[" + port + "] ";
        EXPECT_NE(run.out.find(bus + "Site run stopped (" + port + "): not verified"),
                  std::string::npos)
            << run.out;
        EXPECT_EQ(run.out.find(std::string(bus) + "Site: survey to verify"), std::string::npos);
    }
    for (const auto& simulator : simulators) {
        const sim::Network seen = simulator->snapshot();
        const sim::Unit& unit = seen.units[1];
        EXPECT_FALSE(unit.upgradeMode);
        EXPECT_TRUE(unit.version == 0x0102 || unit.version == 0x0215) << unit.version;
    }
}

// Both terminals of the small site behind their file: one "ALL units" step upgrades them.
const char* kTwoBehind = R"({
  "controllers": [
    {"name": "controller", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "4.20",
     "terminals": [
       {"name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02"},
       {"name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02"}]}]})";

std::size_t lineCount(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

// COM1's adapter is pulled amid the upgrade: the run fails as a whole while COM2 is brought up
// to date and proved, and each bus's frames are in a log of its own.
TEST_F(SiteCli, ALineLostOnOneOfTwoBusesFailsTheRunAndEachBusLogsApart) {
    serve("COM1", kTwoBehind);
    serve("COM2", kTwoBehind);
    simulators[0]->unplugAtRequest(40);
    std::ofstream(folder.file("qrmcomlog.txt")).close();
    const ProcessResult run =
        cli({"--port", "COM1", "--port", "COM2", "site", "--json", "site.json"});
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("[COM1] Serial line lost"), std::string::npos) << run.out;

    const json report = document("site.json");
    expectOneVerdict(run, report, "line lost"); // the worse bus, the first
    ASSERT_EQ(report["buses"].size(), 2u) << report;
    const json& lost = report["buses"][0];
    EXPECT_EQ(lost["end"], "line lost");
    EXPECT_EQ(lost["verified"], false);
    const json& upgraded = report["buses"][1];
    EXPECT_EQ(upgraded["end"], "completed");
    EXPECT_EQ(upgraded["verified"], true);
    for (const json& unit : upgraded["units"])
        if (unit["action"] == "upgrade") {
            EXPECT_EQ(unit["result"], "upgraded") << unit;
            EXPECT_EQ(unit["after"], unit["fileVersion"]) << unit;
        }
    EXPECT_EQ(simulators[1]->snapshot().units[2].version, 0x0215);

    // One log per bus: COM1's stops at its loss, COM2's holds a whole run; the shared name keeps
    // only what it held.
    const std::size_t com1 = lineCount(folder.file("qrmcomlog-COM1.txt"));
    const std::size_t com2 = lineCount(folder.file("qrmcomlog-COM2.txt"));
    EXPECT_GT(com1, 0u);
    EXPECT_GT(com2, com1);
    EXPECT_EQ(lineCount(folder.file("qrmcomlog.txt")), 0u);
}

// COM2's comms log cannot be written (a folder stands at its name): an error ends that bus, the
// report keeps it as far as it was known, and COM1 is upgraded all the same.
TEST_F(SiteCli, AnErrorOnOneOfTwoBusesIsReportedWithTheBus) {
    serve("COM1", kSmallSite);
    serve("COM2", kSmallSite);
    std::ofstream(folder.file("qrmcomlog.txt")).close();
    std::filesystem::create_directory(folder.file("qrmcomlog-COM2.txt"));
    const ProcessResult run =
        cli({"--port", "COM1", "--port", "COM2", "site", "--json", "site.json"});
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    const json report = document("site.json");
    ASSERT_EQ(report["buses"].size(), 2u) << report;
    EXPECT_EQ(report["buses"][0]["verified"], true);
    const json& failed = report["buses"][1];
    EXPECT_EQ(failed["opened"], true);
    EXPECT_EQ(failed["end"], "error");
    EXPECT_TRUE(failed["reason"].is_string()) << failed;
    EXPECT_TRUE(failed["units"].is_array());
    EXPECT_EQ(simulators[1]->snapshot().units[1].version, 0x0102);
}

// At a terminal the run asks first, with the window's words; Enter answers No and nothing
// changes, the plan being the run's report.
TEST_F(SiteCli, AtATerminalAsksFirstAndEnterAnswersNo) {
    serve("COM1", kSmallSite);
    const RawPty terminal = openRawPty();
    ASSERT_EQ(::write(terminal.master, "\n", 1), 1);
    const ProcessResult run = runProcess(NEXALO_CLI_PATH, {"site", "--json", "site.json"},
                                         folder.path().string(), {}, terminal.slave);
    close(terminal.slave);
    close(terminal.master);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Upgrade 1 unit: 1 terminal.\nEstimated time: "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" at 38400 baud.\nStart the upgrade? [y/N] Nothing was upgraded.\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Entering Upgrade mode"), std::string::npos);
    EXPECT_EQ(document("site.json")["buses"][0]["units"][1]["result"], "planned");
    EXPECT_EQ(simulators[0]->snapshot().units[1].version, 0x0102);
}

// Ctrl-C while the question waits for its answer is a No, at once: nothing is upgraded.
TEST_F(SiteCli, AtATerminalCtrlCAtTheQuestionAnswersNo) {
    serve("COM1", kSmallSite);
    const RawPty terminal = openRawPty();
    std::chrono::steady_clock::time_point interrupted;
    const ProcessResult run = runProcess(
        NEXALO_CLI_PATH, {"site"}, folder.path().string(),
        [&](pid_t child) {
            // The survey is over once the bus has been quiet for a while: the question waits.
            std::size_t frames = 0;
            for (int quiet = 0, wait = 0; quiet < 300 && wait < 4000; ++wait) {
                const std::size_t now = simulators[0]->snapshot().frames.size();
                quiet = now == frames && now > 0 ? quiet + 1 : 0;
                frames = now;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            interrupted = std::chrono::steady_clock::now();
            kill(child, SIGINT);
        },
        terminal.slave);
    const auto ended = std::chrono::steady_clock::now() - interrupted;
    close(terminal.slave);
    close(terminal.master);
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Start the upgrade? [y/N] \nNothing was upgraded.\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Entering Upgrade mode"), std::string::npos);
    EXPECT_EQ(simulators[0]->snapshot().units[1].version, 0x0102);
    EXPECT_LT(ended, std::chrono::seconds(2));
}

// Several buses, one of which does not open: the question is asked once, for the units of
// every bus, when all have planned; Enter answers No for all of them.
TEST_F(SiteCli, AtATerminalSeveralBusesAreAskedOnce) {
    serve("COM1", kSmallSite);
    serve("COM2", kSmallSite);
    const RawPty terminal = openRawPty();
    ASSERT_EQ(::write(terminal.master, "\n", 1), 1);
    const ProcessResult run =
        runProcess(NEXALO_CLI_PATH, {"--port", "COM1", "--port", "COM2", "--port", "COM9", "site"},
                   folder.path().string(), {}, terminal.slave);
    close(terminal.slave);
    close(terminal.master);
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err; // COM9 did not open
    const std::size_t asked = run.out.find("Upgrade 2 units: 2 terminals.\n");
    EXPECT_NE(asked, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Start the upgrade?", asked + 1), run.out.rfind("Start the upgrade?"));
    EXPECT_NE(run.out.find("Nothing was upgraded.\n"), std::string::npos);
    EXPECT_EQ(run.out.find("Entering Upgrade mode"), std::string::npos);
    for (const auto& simulator : simulators)
        EXPECT_EQ(simulator->snapshot().units[1].version, 0x0102);
}

// --yes at a terminal asks nothing and upgrades.
TEST_F(SiteCli, AtATerminalYesSkipsTheQuestion) {
    serve("COM1", kSmallSite);
    const RawPty terminal = openRawPty();
    const ProcessResult run =
        runProcess(NEXALO_CLI_PATH, {"site", "--yes"}, folder.path().string(), {}, terminal.slave);
    close(terminal.slave);
    close(terminal.master);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("Start the upgrade?"), std::string::npos);
    EXPECT_EQ(simulators[0]->snapshot().units[1].version, 0x0215);
}

// A report that cannot be written is refused before the bus is touched, not after a long run.
TEST_F(SiteCli, AReportThatCannotBeWrittenIsRefusedBeforeTheBusIsTouched) {
    serve("COM1", kSmallSite);
    const std::vector<std::vector<std::string>> refusals{
        {"site", "--yes", "--json", "missing/site.json"},
        {"survey", "--json", "missing/survey.json"},
        {"site", "--plan", "--json", "."}};
    for (const std::vector<std::string>& args : refusals) {
        const ProcessResult refused = cli(args);
        EXPECT_EQ(refused.exitStatus, 2) << args[0] << refused.out;
        EXPECT_NE(refused.err.find(args.back()), std::string::npos) << refused.err;
    }
    EXPECT_TRUE(simulators[0]->snapshot().frames.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing")));
    // A file that is there is written over; a new one in the folder is made.
    std::ofstream(folder.file("old.json")) << "{}";
    EXPECT_EQ(cli({"site", "--plan", "--json", "old.json"}).exitStatus, 0);
    EXPECT_EQ(document("old.json")["buses"][0]["units"].size(), 3u);
}

// With standard error on a terminal the run draws its progress line there: the step, the unit
// being written, its pages, the rate and the time left; standard output keeps the log alone.
TEST_F(SiteCli, AtATerminalTheProgressLineShowsTheStepTheUnitAndItsPages) {
    serve("COM1", kSmallSite);
    const RawPty terminal = openRawPty();
    std::string drawn;
    std::atomic<bool> ended{false};
    // Drained as it is drawn, so that the program never waits on a full terminal.
    std::thread reader([&] {
        char buffer[4096];
        while (!ended) {
            pollfd ready{terminal.master, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0) continue;
            const ssize_t n = ::read(terminal.master, buffer, sizeof buffer);
            if (n > 0) drawn.append(buffer, static_cast<std::size_t>(n));
        }
    });
    const int noInput = ::open("/dev/null", O_RDONLY);
    const ProcessResult run =
        runProcess(NEXALO_CLI_PATH, {"site"}, folder.path().string(), {}, noInput, terminal.slave);
    ended = true;
    reader.join();
    close(noInput);
    close(terminal.slave);
    close(terminal.master);
    const std::string end = drawn.substr(drawn.size() - std::min<std::size_t>(drawn.size(), 400));
    EXPECT_EQ(run.exitStatus, 0) << run.out << end;
    const std::regex page(
        "\r\x1b\\[KStep 1/1  0101  +[0-9]+%  page [0-9]+ of ([0-9]+)  [0-9]+ B/s  "
        "[0-9]+:[0-9]{2} left");
    EXPECT_TRUE(std::regex_search(drawn, page)) << end;
    const std::regex last("Step 1/1  0101  100%  page ([0-9]+) of \\1  ");
    EXPECT_TRUE(std::regex_search(drawn, last)) << end;
    EXPECT_EQ(run.out.find_first_of("\r\x1b"), std::string::npos);
    EXPECT_EQ(simulators[0]->snapshot().units[1].version, 0x0215);
}

} // namespace
