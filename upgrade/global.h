#pragma once
// Upgrading every unit of the found-units table: all of one class at once by broadcast, or one
// after the other.

#include "link/outcome.h"
#include "upgrade/upgradeRun.h"

// Completed when no unit it worked on failed (units it passed over were not worked on); failed
// with the first unit that did; stopped or line lost when the run ended under it.
Outcome GoUpgradeGlobalAll(UpgradeRun& run);
Outcome GoUpgradeGlobalOne(UpgradeRun& run);
