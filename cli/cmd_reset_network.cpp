#include "maintenanceExit.h"

// "&Reset": every terminal, then every controller, restarts. Nothing is printed; a port that
// does not open sends nothing and fails.
CommandAction setUpResetNetwork(CLI::App&) {
    return [](CliContext& context) {
        return runMaintenance(context,
                              [](const OperationContext& engine) { return resetNetwork(engine); });
    };
}
