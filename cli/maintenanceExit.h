#pragma once
// How the outcome of a maintenance command becomes the program's exit status.

#include "commands.h"
#include "tools/maintenance.h"

inline int exitStatusOf(MaintenanceOutcome outcome) {
    return outcome == MaintenanceOutcome::Done || outcome == MaintenanceOutcome::Sent ? kExitDone
                                                                                      : kExitFailed;
}

// Runs a maintenance command on the session; failed when it could not start.
template <typename Procedure> int runMaintenance(CliContext& context, Procedure procedure) {
    int status = kExitFailed;
    context.run([&](OperationContext& engine) { status = exitStatusOf(procedure(engine)); },
                RunLog::MessageBox);
    return status;
}
