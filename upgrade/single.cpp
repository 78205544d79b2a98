#include "upgrade/single.h"

bool GoUpgradeSingle(UpgradeRun&, const std::string&) {
    return false;
}
