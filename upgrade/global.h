#pragma once
// Upgrading every unit of the found-units table: all of one class at once by broadcast, or one
// after the other.

#include "upgrade/upgradeRun.h"

void GoUpgradeGlobalAll(UpgradeRun& run);
void GoUpgradeGlobalOne(UpgradeRun& run);
