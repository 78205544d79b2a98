#pragma once
// One bus of a site run: its port, whether it opened, whether the operator stopped it, and its
// units in tree order (host first, then each controller followed by its terminals, each terminal
// followed by the remote behind it, then the terminals without a controller).

#include "site/siteUnit.h"

#include <string>
#include <vector>

struct SiteBus {
    std::string port;
    bool opened = false;
    bool stopped = false;
    std::vector<SiteUnit> units;
    bool planOnly = false; // the run ended after the plan
};
