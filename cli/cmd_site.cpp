#include "busGroup.h"
#include "commands.h"
#include "interrupt.h"
#include "knownBuses.h"
#include "options.h"
#include "progressConsole.h"
#include "site/siteReport.h"
#include "site/siteRun.h"
#include "siteQuestion.h"
#include "terminal.h"
#include "trust/folderTrust.h"
#include "trust/history.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

const std::map<std::string, ControllerModel> kModels{{"ab", ControllerModel::AB},
                                                     {"cd", ControllerModel::CD}};

constexpr char kToolName[] = "nexalo-cli " NEXALO_VERSION;

struct SiteCommandOptions {
    SiteOptions site;
    std::string model = "ab";
    std::string jsonPath;
    bool yes = false;
};

// The site run on one bus, on its worker. With one bus and standard error on a terminal the
// progress line follows the run: the step, the units written, their pages, and the LA a search
// asks. Asked, the run goes on only when the operator says so.
SiteBus runOneBus(OperationContext& engine, const FirmwareTrust& trust, const std::string& port,
                  const SiteOptions& options, bool showProgress, SiteQuestion* question,
                  KnownBuses& known, std::size_t bus) {
    // Whatever ends the run, the bus has come in: the others wait for no answer from it.
    struct Arrival {
        SiteQuestion* question;
        std::size_t bus;
        ~Arrival() {
            if (question != nullptr) question->ended(bus);
        }
    } arrival{question, bus};
    ProgressConsole face(engine.console, showProgress);
    OperationContext shown{engine.link, face, engine.clock, engine.control, trust, engine.units};
    SiteObserver observer;
    observer.stepStarted = [&face](const std::string&, int step, int steps,
                                   const FirmwareImage& image) {
        face.follow(image);
        face.setCaption("Step " + std::to_string(step) + "/" + std::to_string(steps));
    };
    if (question != nullptr)
        observer.goOn = [question, bus](const SiteBus& plan) { return question->goOn(bus, plan); };
    observer.planned = [&known, bus](const SiteBus& plan) { known.planned(bus, plan); };
    observer.unitChanged = [&known, bus](std::size_t unit, const SiteUnit& shown) {
        known.unitChanged(bus, unit, shown);
    };
    known.running(bus, engine.control);
    SiteBus done = runSite(shown, port, options, observer);
    known.ended(bus, done);
    return done;
}

std::vector<SiteBus> runOnEveryBus(CliContext& context, const FirmwareTrust& trust,
                                   const SiteOptions& options, SiteQuestion* question,
                                   KnownBuses& known) {
    const std::vector<std::string>& ports = context.options.ports;
    std::vector<SiteBus> buses(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i)
        buses[i].port = ports[i];
    // Several buses print their lines whole, one below the other: no line is drawn among them.
    const bool showProgress = ports.size() == 1 && isTerminal(stderr);
    const std::vector<Outcome> ran =
        runOnBuses(context, [&](std::size_t bus, OperationContext& engine) {
            buses[bus] =
                runOneBus(engine, trust, ports[bus], options, showProgress, question, known, bus);
        });
    for (std::size_t i = 0; i < buses.size(); ++i)
        if (!ran[i].succeeded()) buses[i].end = ran[i];
    return buses;
}

// The report, when asked for; an error when it could not be written (said on standard error).
std::optional<Outcome> writeReport(const std::string& path, SiteReport report) {
    if (path.empty()) return std::nullopt;
    const std::optional<std::string> error = writeSiteReport(path, report);
    if (!error) return std::nullopt;
    std::cerr << "nexalo-cli: " << *error << "\n";
    return Outcome::error(*error);
}

// The run's verdict closes the output, unless the one bus has just said it.
void sayVerdict(StdoutConsole& console, const SiteJudgement& run) {
    if (console.lastLine() != run.verdict) console.status(run.verdict);
}

int runSiteCommand(CliContext& context, SiteCommandOptions options) {
    options.site.model = kModels.at(options.model);
    const std::string started = HistoryTimeNow();
    // The first Ctrl-C lets the units being written finish, the second stops at once: the
    // third ends the program, once the report holds what is known by then.
    endAtInterrupt(3);
    KnownBuses known(context.options.ports);
    deferEndAtOnce([&known, &options, &started] {
        std::vector<SiteBus> buses = known.endedAtOnce();
        const SiteJudgement run = judgeRun(buses, true);
        writeReport(options.jsonPath,
                    {kToolName, started, HistoryTimeNow(), run, std::move(buses)});
    });
    // A person at a terminal sees the plan and says yes before anything changes; a script
    // (no terminal on its input) runs as it always has. Declined or stopped, the plan is the
    // run's report.
    // The folder's trust is read once for every bus: all of them send the same files or none.
    const FirmwareTrust trust = ReadFirmwareTrust(context.session.trustSettings());
    std::optional<SiteQuestion> question;
    if (!options.site.planOnly && !options.yes && isTerminal(stdin))
        question.emplace(context.options.ports.size(), options.site.model,
                         static_cast<std::uint32_t>(std::stoul(context.options.speed)), trust,
                         context.options.extraAttempts);
    std::vector<SiteBus> buses =
        runOnEveryBus(context, trust, options.site, question ? &*question : nullptr, known);
    // The worst bus decides, whatever the others did.
    const SiteJudgement run = judgeRun(buses, interruptRequested());
    sayVerdict(context.console, run);
    const std::optional<Outcome> unwritten = writeReport(
        options.jsonPath, {kToolName, started, HistoryTimeNow(), run, std::move(buses)});
    return context.exitWith(unwritten ? worseOf(run.outcome, *unwritten) : run.outcome);
}

} // namespace

// The whole site: survey, plan, upgrade what is behind, verify by a second survey, report.
// Succeeds only when every planned unit of every bus was verified at its file's version.
CommandAction setUpSite(CLI::App& command) {
    auto options = std::make_shared<SiteCommandOptions>();
    command.add_flag("--plan", options->site.planOnly,
                     "survey and plan only: nothing is sent that changes a unit");
    command.add_option("--json", options->jsonPath, "also write the site report to this file")
        ->option_text("FILE")
        ->check(WritableFile());
    command.add_flag("--yes", options->yes,
                     "upgrade without asking first (asked only when the input is a terminal)");
    command.add_flag("--remotes", options->site.remotes,
                     "upgrade the remotes behind terminals too (else left \"on request\")");
    command
        .add_option("--controller-model", options->model,
                    "the file a product-5 controller takes: A/B or C/D (default ab)")
        ->check(CLI::IsMember({"ab", "cd"}));
    return [options](CliContext& context) { return runSiteCommand(context, *options); };
}
