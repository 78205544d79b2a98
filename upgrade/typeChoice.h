#pragma once
// What the unit type and upgrade type choices make of the two LA boxes and the scope of a
// global upgrade. The window applies it to its controls after every change of either choice;
// the command-line tool starts its LA boxes from it.

#include "upgrade/settings.h"

#include <string>

struct LABox {
    std::string text;
    bool enabled = false;
};

struct TypeChoice {
    // The upgrade type that stands: "ALL units" types fall back to "Single unit." for unit
    // types that cannot be upgraded all together.
    UpgradeType upgradeType = UpgradeType::SingleUnit;
    LABox controllerLA;
    LABox terminalLA;
    ScopeFlags scope;
};

TypeChoice ChooseUnitAndUpgradeType(UnitType unitType, UpgradeType upgradeType);
