#include "upgrade/global.h"

void GoUpgradeGlobalAll(UpgradeRun&) {}
void GoUpgradeGlobalOne(UpgradeRun&) {}
