#include "busGroup.h"
#include "commands.h"
#include "interrupt.h"
#include "site/siteEstimate.h"
#include "site/siteReport.h"
#include "site/siteRun.h"
#include "terminal.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

const std::map<std::string, ControllerModel> kModels{{"ab", ControllerModel::AB},
                                                     {"cd", ControllerModel::CD}};

struct SiteCommandOptions {
    SiteOptions site;
    std::string model = "ab";
    std::string jsonPath;
    bool yes = false;
};

std::vector<SiteBus> runOnEveryBus(CliContext& context, const SiteOptions& options) {
    const std::vector<std::string>& ports = context.options.ports;
    std::vector<SiteBus> buses(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i)
        buses[i].port = ports[i];
    const std::vector<Outcome> ran =
        runOnBuses(context, [&](std::size_t bus, OperationContext& engine) {
            buses[bus] = runSite(engine, ports[bus], options);
        });
    for (std::size_t i = 0; i < buses.size(); ++i)
        if (!ran[i].succeeded()) buses[i].end = ran[i];
    return buses;
}

// The window's question, answered on the terminal: anything but "y" or "yes" is No, and so is
// the end of the input.
bool operatorAgrees(const std::vector<SiteBus>& plans, ControllerModel model,
                    std::uint32_t bitsPerSecond) {
    std::vector<SiteEstimate> estimates;
    for (const SiteBus& plan : plans)
        estimates.push_back(estimateWrites(plannedWrites(plan, model), bitsPerSecond));
    const SiteEstimate all = combineEstimates(estimates);
    if (all.total() == 0) return true;
    std::cout << siteQuestion(all, bitsPerSecond) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) answer.clear();
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

int runSiteCommand(CliContext& context, SiteCommandOptions options) {
    options.site.model = kModels.at(options.model);
    // The first Ctrl-C lets the units being written finish, the second stops at once: the
    // third ends the program.
    endAtInterrupt(3);
    std::vector<SiteBus> buses;
    bool declined = false;
    // A person at a terminal sees the plan and says yes before anything changes; a script
    // (no terminal on its input) runs as it always has. Declined or stopped, the plan is the
    // run's report.
    if (!options.site.planOnly && !options.yes && isTerminal(stdin)) {
        SiteOptions plan = options.site;
        plan.planOnly = true;
        buses = runOnEveryBus(context, plan);
        declined = interruptRequested() ||
                   !operatorAgrees(buses, options.site.model,
                                   static_cast<std::uint32_t>(std::stoul(context.options.speed)));
        if (declined) std::cout << "Nothing was upgraded.\n";
    }
    if (!declined) buses = runOnEveryBus(context, options.site);
    // The worst bus decides, whatever the others did.
    Outcome worst = interruptRequested() ? Outcome::stopped() : Outcome::completed();
    for (const SiteBus& bus : buses)
        worst = worseOf(worst, siteOutcome(bus));
    if (!options.jsonPath.empty()) {
        if (const std::optional<std::string> error = writeSiteReport(options.jsonPath, buses)) {
            std::cerr << "nexalo-cli: " << *error << "\n";
            worst = worseOf(worst, Outcome::error(*error));
        }
    }
    return exitStatusOf(worst);
}

} // namespace

// The whole site: survey, plan, upgrade what is behind, verify by a second survey, report.
// Succeeds only when every planned unit of every bus was verified at its file's version.
CommandAction setUpSite(CLI::App& command) {
    auto options = std::make_shared<SiteCommandOptions>();
    command.add_flag("--plan", options->site.planOnly,
                     "survey and plan only: nothing is sent that changes a unit");
    command.add_option("--json", options->jsonPath, "also write the site report to this file")
        ->option_text("FILE");
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
