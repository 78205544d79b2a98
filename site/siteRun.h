#pragma once
// The whole-site run on one bus: survey as "&Ping" does, plan, upgrade every unit that is behind
// with the procedures and choices a technician would make in the window (remotes, the terminals
// of each controller, the A/B controllers, the C/D controllers, the host interface), survey again
// to verify, and report. Runs on the session's worker thread, as a LinkSession operation.

#include "image/firmwareImage.h"
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
    // The unit's own bar: the share of its pages written, 100 once it was confirmed running.
    std::function<void(std::size_t unit, int percent)> progress;
    // An upgrade run of the plan begins: its title, which of the pass's steps it is, and the
    // image it will load and send (read it only while the step runs).
    std::function<void(const std::string& title, int step, int steps, const FirmwareImage&)>
        stepStarted;
    // A search of every address (the controllers' steps find their units so) asks LA la of of.
    std::function<void(int la, int of)> scanning;
    // Asked once the first survey has planned units to upgrade, before any is touched: the run
    // goes on only when it answers yes, and otherwise ends as if it had only been planned.
    // Not given: the run goes on.
    std::function<bool(const SiteBus& plan)> goOn;
};

// Returns the bus whatever ended the run (an error included: its message is shown, and the bus
// comes back with "error", the reason and its units as far as they were known).
SiteBus runSite(OperationContext& context, const std::string& port, const SiteOptions& options,
                const SiteObserver& observer = {});

// siteOutcome(bus) completed: the port opened, a unit was found, the run went its whole way and
// (unless only planned) its verifying survey proved every planned unit.
bool siteSucceeded(const SiteBus& bus);
