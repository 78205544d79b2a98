#include "busGroup.h"
#include "commands.h"
#include "site/siteReport.h"
#include "site/siteRun.h"

#include <iostream>
#include <map>
#include <memory>

namespace {

const std::map<std::string, ControllerModel> kModels{{"ab", ControllerModel::AB},
                                                     {"cd", ControllerModel::CD}};

struct SiteCommandOptions {
    SiteOptions site;
    std::string model = "ab";
    std::string jsonPath;
};

int runSiteCommand(CliContext& context, SiteCommandOptions options) {
    options.site.model = kModels.at(options.model);
    const std::vector<std::string>& ports = context.options.ports;
    std::vector<SiteBus> buses(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i)
        buses[i].port = ports[i];
    const std::vector<Outcome> ran =
        runOnBuses(context, [&](std::size_t bus, OperationContext& engine) {
            buses[bus] = runSite(engine, ports[bus], options.site);
        });
    // The worst bus decides, whatever the others did.
    Outcome worst;
    for (std::size_t i = 0; i < buses.size(); ++i) {
        if (!ran[i].succeeded()) buses[i].end = ran[i];
        worst = worseOf(worst, siteOutcome(buses[i]));
    }
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
    command.add_flag("--remotes", options->site.remotes,
                     "upgrade the remotes behind terminals too (else left \"on request\")");
    command
        .add_option("--controller-model", options->model,
                    "the file a product-5 controller takes: A/B or C/D (default ab)")
        ->check(CLI::IsMember({"ab", "cd"}));
    return [options](CliContext& context) { return runSiteCommand(context, *options); };
}
