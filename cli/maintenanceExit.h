#pragma once
// How the outcome of a maintenance command becomes the program's exit status.

#include "commands.h"
#include "tools/maintenance.h"

// Runs a maintenance command on the session; failed when it could not start.
template <typename Procedure> int runMaintenance(CliContext& context, Procedure procedure) {
    Outcome outcome;
    const Outcome ran = context.run([&](OperationContext& engine) { outcome = procedure(engine); },
                                    RunLog::MessageBox);
    return context.exitWith(ran.succeeded() ? outcome : ran);
}
