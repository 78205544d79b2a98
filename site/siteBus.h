#pragma once
// One bus of a site run: its port, whether it opened, how the run ended and whether its
// verifying survey proved it, and its units in tree order (host first, then each controller
// followed by its terminals, each terminal followed by the remote behind it, then the terminals
// without a controller).

#include "link/outcome.h"
#include "site/siteUnit.h"

#include <string>
#include <vector>

struct SiteBus {
    std::string port;
    bool opened = false;
    // How the run ended: completed (it went its whole way, whatever the units did), stopped,
    // line lost or error, each with its reason ("line lost after the last upgrade").
    Outcome end = Outcome::completed();
    // The verifying survey ran to its end and read every planned unit at its file's version.
    bool verified = false;
    int passes = 1;
    std::vector<SiteUnit> units;
    bool planOnly = false; // the run ended after the plan
};

// What the bus's run comes to, the one value its verdict line, the window's summary and the
// exit status are all made from: its end when that is not completed; failed when no unit
// answered or (unless only planned) the verifying survey did not prove every planned unit.
Outcome siteOutcome(const SiteBus& bus);
