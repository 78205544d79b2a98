#include "upgrade/typeChoice.h"

namespace {

bool isAllUnits(UpgradeType type) {
    return type == UpgradeType::AllUnits || type == UpgradeType::AllUnitsOneAtATime;
}

TypeChoice singleUnit(UnitType unitType) {
    TypeChoice choice;
    choice.controllerLA = {"00", true};
    choice.terminalLA = {"00", false};
    switch (unitType) {
    case UnitType::Terminal:
    case UnitType::Remote:
        choice.terminalLA.enabled = true;
        break;
    case UnitType::HostInterface:
        choice.controllerLA = {"7F", false};
        break;
    case UnitType::ControllerCD:
        choice.controllerLA.text = "01";
        break;
    case UnitType::ControllerAB:
        break;
    }
    return choice;
}

} // namespace

TypeChoice ChooseUnitAndUpgradeType(UnitType unitType, UpgradeType upgradeType) {
    const bool groupable = unitType != UnitType::HostInterface && unitType != UnitType::Remote;
    if (!isAllUnits(upgradeType) || !groupable) {
        TypeChoice choice = singleUnit(unitType);
        choice.upgradeType = isAllUnits(upgradeType) ? UpgradeType::SingleUnit : upgradeType;
        return choice;
    }
    TypeChoice choice;
    choice.upgradeType = upgradeType;
    if (unitType == UnitType::Terminal) {
        // The terminals of the controller in the Controller LA box.
        choice.controllerLA = {"01", true};
        choice.terminalLA = {"FF", false};
        choice.scope.terminalScope = true;
    } else {
        choice.controllerLA = {"FF", false};
        choice.terminalLA = {"00", false};
        choice.scope.controllerScope = true;
    }
    return choice;
}
