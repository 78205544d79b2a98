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
    // A verifying survey ran to its end, read every planned unit at its file's version, found
    // none in its boot loader and nothing more to upgrade.
    bool verified = false;
    int passes = 1; // plans the run made and upgraded, each after a survey

    std::vector<SiteUnit> units;
    bool planOnly = false; // the run ended after the plan
};

// What the bus's run comes to, the one value its verdict line, the window's summary and the
// exit status are all made from: its end when that is not completed; failed when no unit
// answered, when (unless only planned) a unit is left in its boot loader, or when units were
// planned and the verifying survey did not prove them all, or when two units answer at one
// address; refused when a unit was refused.
Outcome siteOutcome(const SiteBus& bus);

// No unit was planned for an upgrade: the run had nothing to do (and proved nothing).
bool plannedNothing(const SiteBus& bus);

// The units whose file or write was refused: "0102 (Terminal-K2.hex does not match SHA256SUMS)".
std::vector<std::string> refusedUnits(const SiteBus& bus);

// The addresses at which two units answer, each once.
std::vector<std::string> sharedAddresses(const SiteBus& bus);

// The units the run leaves in their boot loader, by address.
std::vector<std::string> leftInBootLoader(const SiteBus& bus);
