#include "upgrade/upgradeRule.h"

bool needsUpgrade(const UnitVersion& unit, std::uint16_t fileVersion, bool force) {
    return force || unit.inUpgradeMode || unit.version == kVersionInUpgradeMode ||
           unit.version < fileVersion;
}

bool remoteUpgradable(std::uint16_t remoteVersion) {
    return remoteVersion >= kOldestUpgradableRemote;
}
