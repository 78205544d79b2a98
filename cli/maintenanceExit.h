#pragma once
// How the outcome of a maintenance command becomes the program's exit status.

#include "commands.h"
#include "tools/maintenance.h"

inline int exitStatusOf(MaintenanceOutcome outcome) {
    return outcome == MaintenanceOutcome::Done || outcome == MaintenanceOutcome::Sent ? kExitDone
                                                                                      : kExitFailed;
}

// Runs a maintenance command through the gate; failed when it could not start.
template <typename Procedure> int runMaintenance(CliContext& context, Procedure procedure) {
    int status = kExitFailed;
    context.gate.run([&] { status = exitStatusOf(procedure(context.engine())); });
    return status;
}
