#pragma once
// The whole-site run on one bus: survey as "&Ping" does, plan, upgrade every unit that is behind
// with the procedures and choices a technician would make in the window (remotes, the terminals
// of each controller, the A/B controllers, the C/D controllers, the host interface), survey again
// to verify, and report. Runs on the session's worker thread, as a LinkSession operation.

#include "link/operationContext.h"
#include "site/siteBus.h"
#include "site/siteOptions.h"

#include <cstddef>
#include <functional>
#include <string>

// Every member is optional; each is called on the worker thread.
struct SiteObserver {
    std::function<void(const SiteBus&)> planned;                        // units in tree order
    std::function<void(std::size_t unit, const SiteUnit&)> unitChanged; // action/result/after
    std::function<void(std::size_t unit, int percent)> progress;        // the unit(s) written
};

// Returns the bus whatever ended the run (an error included: its message is shown, and the bus
// comes back with "error", the reason and its units as far as they were known).
SiteBus runSite(OperationContext& context, const std::string& port, const SiteOptions& options,
                const SiteObserver& observer = {});

// siteOutcome(bus) completed: the port opened, a unit was found, the run went its whole way and
// (unless only planned) its verifying survey proved every planned unit.
bool siteSucceeded(const SiteBus& bus);
