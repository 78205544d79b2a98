#include "commands.h"
#include "surveyJson.h"
#include "tools/networkSurvey.h"

#include <iostream>
#include <memory>

// Succeeds when the survey found at least one unit (and the network could be written).
CommandAction setUpSurvey(CLI::App& command) {
    auto jsonPath = std::make_shared<std::string>();
    command
        .add_option("--json", *jsonPath,
                    "also write the network found (host, controllers with their terminals, "
                    "terminals without controller) to this file")
        ->option_text("FILE");
    return [jsonPath](CliContext& context) {
        int status = kExitFailed;
        context.run(
            [&](OperationContext& engine) {
                auto table = std::make_unique<SurveyTable>();
                const SurveyOutcome outcome = btnPingClick(engine, *table);
                if (!outcome.portOpened) return;
                const bool found = outcome.host.kind != HostKind::hkNone ||
                                   outcome.controllers > 0 || outcome.busTerminals > 0;
                std::string error;
                if (!jsonPath->empty() && !writeSurveyJson(*jsonPath, *table, outcome, error)) {
                    std::cerr << "nexalo-cli: " << error << "\n";
                    return;
                }
                if (found) status = kExitDone;
            },
            RunLog::Report);
        return status;
    };
}
