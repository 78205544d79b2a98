#pragma once
// What the operator chose for an upgrade run, as plain values: the window fills it from its
// controls, the command-line tool from its options.

#include "image/unitChoice.h"

#include <string>

struct UpgradeSettings {
    UnitType unitType = UnitType::Terminal;
    UpgradeType upgradeType = UpgradeType::SingleUnit;
    bool forceUpgrade = false;
    // The texts of the two LA boxes as they stand; addresses are made from them unchecked.
    std::string controllerLA = "00";
    std::string terminalLA = "00";
};

// Whom a global upgrade works on: the controllers ("FF00" broadcasts, units at LA + "00"), or
// the terminals of the controller in the Controller LA box (units at that LA + their own).
struct ScopeFlags {
    bool controllerScope = false;
    bool terminalScope = false;
};
