#include "maintenanceExit.h"
#include "options.h"

#include <memory>

// Configure Controller Port 2.
CommandAction setUpSetPort2(CLI::App& command) {
    auto settings = std::make_shared<Port2Settings>();
    settings->controllerLa = "01";
    auto mode = std::make_shared<std::string>();
    command.add_option("--controller", settings->controllerLa, "the controller's LA")
        ->transform(HexText(2))
        ->capture_default_str();
    command.add_option("--mode", *mode, "the second port's mode")
        ->check(CLI::IsMember({"rs232", "rs485"}))
        ->required();
    return [settings, mode](CliContext& context) {
        settings->rs485 = *mode == "rs485";
        return runMaintenance(context, [&](const OperationContext& engine) {
            return configurePort2(engine, *settings);
        });
    };
}
