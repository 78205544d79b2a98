#pragma once
// Finding the units that a global upgrade works on, by the controller's list or by address scan.

#include "upgrade/upgradeRun.h"

// Empties and fills the found-units table; true when at least one unit was listed.
bool FindUnits(UpgradeRun& run);
