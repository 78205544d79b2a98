#pragma once
// Finding the units that a global upgrade works on, by the controller's list or by address scan.

#include "link/outcome.h"
#include "upgrade/upgradeRun.h"

// Empties and fills the found-units table. Completed when at least one unit was listed, failed
// ("No Units found!", not said here) when none was; stopped or line lost when the search
// ended under the run (a Skip is no end: the units found so far stand).
Outcome FindUnits(UpgradeRun& run);
