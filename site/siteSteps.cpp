#include "site/siteSteps.h"

#include "product/productFiles.h"
#include "product/productTable.h"
#include "upgrade/foundUnits.h"
#include "upgrade/typeChoice.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace {

bool planned(const SurveyedUnit& unit) {
    return unit.unit.action == SiteAction::Upgrade;
}

SiteStep makeStep(UnitType type, UpgradeType upgrade, const std::string& address,
                  std::vector<std::size_t> units, std::string title) {
    const TypeChoice choice = ChooseUnitAndUpgradeType(type, upgrade);
    SiteStep step;
    step.settings.unitType = type;
    step.settings.upgradeType = choice.upgradeType;
    step.settings.forceUpgrade = false;
    // The boxes start where the two choices put them; only the ones the window lets the
    // operator type into take the unit's address.
    step.settings.controllerLA = choice.controllerLA.text;
    step.settings.terminalLA = choice.terminalLA.text;
    if (choice.controllerLA.enabled && address.size() >= 2)
        step.settings.controllerLA = address.substr(0, 2);
    if (choice.terminalLA.enabled && address.size() >= 4)
        step.settings.terminalLA = address.substr(2, 2);
    step.scope = choice.scope;
    step.units = std::move(units);
    step.title = std::move(title);
    return step;
}

// The unit type a unit is upgraded under on its own. A terminal of a class whose single-unit
// upgrade would pick another product's file as a terminal (13, 16, 19: the remote's own file
// on the bus) goes as a remote; a host away from 7F00 is addressed as a terminal, whose boxes
// both take its address.
UnitType singleTypeOf(const SurveyedUnit& unit, ControllerModel model) {
    const auto id = static_cast<std::uint8_t>(unit.unit.productId);
    if (unit.unit.kind == SiteUnitKind::Terminal) {
        const std::uint8_t upgradeClass = GetUpgradeType(id, UnitType::Terminal);
        if (upgradeClass == 13 || upgradeClass == 16 || upgradeClass == 19) return UnitType::Remote;
    }
    if (unit.unit.kind == SiteUnitKind::Host && unit.unit.address != "7F00")
        return UnitType::Terminal;
    return unitTypeOf(unit, model);
}

SiteStep singleStep(const std::vector<SurveyedUnit>& units, std::size_t index,
                    ControllerModel model) {
    const SiteUnit& unit = units[index].unit;
    return makeStep(
        singleTypeOf(units[index], model), UpgradeType::SingleUnit, unit.address, {index},
        std::string("Site: ") + siteUnitKindText(unit.kind) + " " + unit.address + ", single unit");
}

// The file version the all-at-once upgrade would send the unit under the unit type; nothing
// when it passes the unit over (no class, a product it never broadcasts to, no file that reads).
std::optional<std::uint16_t> broadcastVersion(const SurveyedUnit& unit, UnitType type,
                                              FirmwareShelf& shelf) {
    const auto id = static_cast<std::uint8_t>(unit.unit.productId);
    if (GetUpgradeType(id, type) == 0) return std::nullopt;
    const Product* product = findProduct(id);
    if (product != nullptr && (product->flags & pfNoBroadcast) != 0) return std::nullopt;
    const std::optional<ShelfFile> file = shelf.application(unit.unit.productId, type);
    return file ? file->version : std::nullopt;
}

struct Group {
    std::vector<std::size_t> scope; // every unit an "ALL units" run of the group would find
    UnitType type;
    std::string address; // whose LA the Controller LA box takes (terminals: the controller)
    std::string title;
};

void addGroupSteps(std::vector<SiteStep>& steps, const std::vector<SurveyedUnit>& units,
                   const Group& group, ControllerModel model, FirmwareShelf& shelf) {
    std::vector<std::size_t> together, alone;
    bool broadcastSafe = true;
    for (std::size_t index : group.scope) {
        const SurveyedUnit& unit = units[index];
        const bool ours = planned(unit) && unitTypeOf(unit, model) == group.type;
        const std::optional<std::uint16_t> version = broadcastVersion(unit, group.type, shelf);
        if (ours)
            (version && FoundUnits::holds(unit.la) ? together : alone).push_back(index);
        else if (version && (!unit.answered || behindFile(unit, *version)))
            broadcastSafe = false;
    }
    // A unit in its boot loader takes whatever pages the class broadcast carries, another
    // product's included: beside one that is not of the broadcast, each unit goes on its own.
    for (std::size_t index : group.scope)
        if (units[index].upgradeMode &&
            std::find(together.begin(), together.end(), index) == together.end())
            broadcastSafe = false;
    if (!together.empty() && broadcastSafe) {
        steps.push_back(makeStep(group.type, UpgradeType::AllUnits, group.address,
                                 std::move(together), group.title));
    } else {
        alone.insert(alone.end(), together.begin(), together.end());
        std::sort(alone.begin(), alone.end());
    }
    for (std::size_t index : alone)
        steps.push_back(singleStep(units, index, model));
}

std::vector<std::size_t> indexesWhere(const std::vector<SurveyedUnit>& units,
                                      const std::function<bool(const SurveyedUnit&)>& test) {
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (test(units[i])) indexes.push_back(i);
    return indexes;
}

} // namespace

std::vector<SiteStep> siteSteps(const std::vector<SurveyedUnit>& units, ControllerModel model,
                                FirmwareShelf& shelf) {
    std::vector<SiteStep> steps;
    for (std::size_t index : indexesWhere(units, [](const SurveyedUnit& u) {
             return planned(u) && u.unit.kind == SiteUnitKind::Remote;
         }))
        steps.push_back(singleStep(units, index, model));

    for (const SurveyedUnit& controller : units) {
        if (controller.unit.kind != SiteUnitKind::Controller) continue;
        const std::uint8_t la = controller.la;
        Group terminals{indexesWhere(units,
                                     [la](const SurveyedUnit& u) {
                                         return u.unit.kind == SiteUnitKind::Terminal &&
                                                u.controllerLa == la;
                                     }),
                        UnitType::Terminal, controller.unit.address,
                        "Site: terminals of controller " + controller.unit.address.substr(0, 2) +
                            ", ALL units"};
        addGroupSteps(steps, units, terminals, model, shelf);
    }
    for (std::size_t index : indexesWhere(units, [](const SurveyedUnit& u) {
             return planned(u) && u.unit.kind == SiteUnitKind::Terminal && u.controllerLa == 0;
         }))
        steps.push_back(singleStep(units, index, model));

    const auto isController = [](const SurveyedUnit& u) {
        return u.unit.kind == SiteUnitKind::Controller;
    };
    addGroupSteps(steps, units,
                  {indexesWhere(units, isController), UnitType::ControllerAB, "FF00",
                   "Site: A/B controllers, ALL units"},
                  model, shelf);
    addGroupSteps(steps, units,
                  {indexesWhere(units, isController), UnitType::ControllerCD, "FF00",
                   "Site: C/D controllers, ALL units"},
                  model, shelf);

    for (std::size_t index : indexesWhere(units, [](const SurveyedUnit& u) {
             return planned(u) && u.unit.kind == SiteUnitKind::Host;
         }))
        steps.push_back(singleStep(units, index, model));
    return steps;
}
