#include "maintenanceExit.h"
#include "options.h"

#include <memory>

// Clear Controller Memory: asks "Are you sure?", which only --yes answers with Yes.
CommandAction setUpClearMemory(CLI::App& command) {
    auto settings = std::make_shared<ClearMemorySettings>();
    auto yes = std::make_shared<bool>(false);
    CLI::Option* controller =
        command.add_option("--controller", settings->controllerLa, "the controller's LA")
            ->transform(HexText(2));
    CLI::Option* all =
        command.add_flag("--all", settings->allControllers, "every controller instead of one");
    controller->excludes(all);
    command.add_flag("--yes", *yes, "answer \"Are you sure?\" with Yes");
    return [settings, yes](CliContext& context) {
        if (settings->controllerLa.empty() && !settings->allControllers)
            throw UsageError("clear-memory: give --controller or --all");
        context.console.assumeYes = *yes;
        return runMaintenance(context, [&](const OperationContext& engine) {
            return clearControllerMemory(engine, *settings);
        });
    };
}
