#pragma once
// Upgrading the firmware of one unit, named by its four-character address CCTT.

#include "upgrade/upgradeRun.h"

#include <string>

// True when the unit needs no further work (upgraded and confirmed, upgraded under
// "Advanced", no upgrade needed, or a remote that cannot or need not go through here); false
// when the upgrade failed or was stopped.
bool GoUpgradeSingle(UpgradeRun& run, const std::string& address);
