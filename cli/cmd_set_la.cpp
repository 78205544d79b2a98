#include "maintenanceExit.h"
#include "options.h"

#include <memory>

// Set Logical Address: the unit with the fixed address takes the new LA, then is asked there.
CommandAction setUpSetLa(CLI::App& command) {
    auto settings = std::make_shared<SetLaSettings>();
    auto controllerLa = std::make_shared<std::string>();
    auto terminalLa = std::make_shared<std::string>();
    command.add_option("--fixed-address", settings->fixedAddress, "the unit's fixed address")
        ->transform(HexText(8))
        ->required();
    CLI::Option* controller =
        command.add_option("--controller-la", *controllerLa, "a controller's new LA")
            ->transform(HexText(2));
    CLI::Option* terminal =
        command
            .add_option("--terminal-la", *terminalLa, "a terminal's controller LA then its new LA")
            ->transform(HexText(4));
    controller->excludes(terminal);
    return [settings, controllerLa, terminalLa](CliContext& context) {
        if (controllerLa->empty() && terminalLa->empty())
            throw UsageError("set-la: give --controller-la or --terminal-la");
        settings->controller = !controllerLa->empty();
        settings->newLa = settings->controller ? *controllerLa : *terminalLa;
        return runMaintenance(context, [&](const OperationContext& engine) {
            return setLogicalAddress(engine, *settings);
        });
    };
}
