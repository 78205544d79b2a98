#pragma once
// Upgrading the firmware of one unit, named by its four-character address CCTT.

#include "link/outcome.h"
#include "upgrade/upgradeRun.h"

#include <string>

// Completed when the unit needs no further work (upgraded and confirmed, upgraded under
// "Advanced", no upgrade needed, or a unit that is no remote under the unit type "Remote");
// refused when no file loads or a remote is too old to be written; failed with the unit and
// the line that said why; stopped or line lost when the run ended under it.
Outcome GoUpgradeSingle(UpgradeRun& run, const std::string& address);
