#pragma once
// One run of the Upgrade button once the port is open: framed by "9B00" and "9B01" to every
// controller, a single-unit pass or discovery followed by a global upgrade, then "Finished.".

#include "link/outcome.h"
#include "upgrade/upgradeRun.h"

// Completed when the run did what it was asked: every unit it worked on was upgraded or needed
// no upgrade (a unit a global upgrade passes over is not worked on), at least one unit was
// found, and nobody stopped it. Else the procedure's own outcome, or stopped or line lost when
// the run ended after it.
Outcome RunUpgrade(UpgradeRun& run);
