#include "busGroup.h"
#include "commands.h"
#include "options.h"
#include "surveyJson.h"
#include "tools/networkSurvey.h"

#include <iostream>
#include <memory>

namespace {

constexpr char kNothingFound[] = "no unit answered";

// What one bus's survey gave: how it ended (a survey that found no unit did not do what was
// asked), and its network for the file.
struct BusSurvey {
    Outcome end = Outcome::error("not run");
    SurveyedBus network;
};

void surveyOneBus(OperationContext& engine, BusSurvey& bus) {
    auto table = std::make_unique<SurveyTable>();
    const SurveyOutcome outcome = surveyBus(engine, *table);
    bus.end = outcome.end;
    if (!outcome.portOpened) return;
    const bool found = outcome.host.kind != HostKind::hkNone || outcome.controllers > 0 ||
                       outcome.busTerminals > 0;
    if (bus.end.succeeded() && !found) bus.end = Outcome::failed(kNothingFound);
    bus.network.document = surveyDocument(*table, outcome);
}

// One bus keeps the inventory document it always had; several are listed by port.
bool writeNetworks(const std::string& path, const std::vector<BusSurvey>& buses) {
    std::string text;
    if (buses.size() == 1) {
        if (buses.front().network.document.is_null()) return true;
        text = buses.front().network.document.dump(2) + "\n";
    } else {
        std::vector<SurveyedBus> networks;
        for (const BusSurvey& bus : buses)
            networks.push_back(bus.network);
        text = severalBusesJson(networks);
    }
    std::string error;
    if (writeJsonText(path, text, error)) return true;
    std::cerr << "nexalo-cli: " << error << "\n";
    return false;
}

int runSurvey(CliContext& context, const std::string& jsonPath) {
    const std::vector<std::string>& ports = context.options.ports;
    std::vector<BusSurvey> buses(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i)
        buses[i].network.port = ports[i];
    const std::vector<Outcome> ran = runOnBuses(
        context,
        [&](std::size_t bus, OperationContext& engine) { surveyOneBus(engine, buses[bus]); },
        RunLog::Report);
    // The worst bus decides: a lost line on one is a failure whatever the others found.
    Outcome worst;
    for (std::size_t i = 0; i < buses.size(); ++i)
        worst = worseOf(worst, ran[i].succeeded() ? buses[i].end : ran[i]);
    if (!jsonPath.empty() && !writeNetworks(jsonPath, buses))
        worst = worseOf(worst, Outcome::error("the network could not be written"));
    return context.exitWith(worst);
}

} // namespace

// Succeeds when the survey of every bus ran to its end and found at least one unit (and the
// network could be written).
CommandAction setUpSurvey(CLI::App& command) {
    auto jsonPath = std::make_shared<std::string>();
    command
        .add_option("--json", *jsonPath,
                    "also write the network found (host, controllers with their terminals, "
                    "terminals without controller; by port when several) to this file")
        ->option_text("FILE")
        ->check(WritableFile());
    return [jsonPath](CliContext& context) { return runSurvey(context, *jsonPath); };
}
