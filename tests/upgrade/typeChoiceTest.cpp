// The LA boxes and scope that the two choices give, where a wrong box would address the
// wrong units.

#include "upgrade/typeChoice.h"

#include <gtest/gtest.h>

namespace {

TEST(TypeChoice, AllUnitsFallsBackToSingleWhereUnitsCannotBeGrouped) {
    for (UpgradeType all : {UpgradeType::AllUnits, UpgradeType::AllUnitsOneAtATime}) {
        const TypeChoice host = ChooseUnitAndUpgradeType(UnitType::HostInterface, all);
        EXPECT_EQ(host.upgradeType, UpgradeType::SingleUnit);
        EXPECT_EQ(host.controllerLA.text, "7F");
        EXPECT_FALSE(host.controllerLA.enabled);
        EXPECT_FALSE(host.scope.controllerScope || host.scope.terminalScope);
        const TypeChoice remote = ChooseUnitAndUpgradeType(UnitType::Remote, all);
        EXPECT_EQ(remote.upgradeType, UpgradeType::SingleUnit);
        EXPECT_TRUE(remote.terminalLA.enabled);

        const TypeChoice terminals = ChooseUnitAndUpgradeType(UnitType::Terminal, all);
        EXPECT_EQ(terminals.upgradeType, all);
        EXPECT_EQ(terminals.controllerLA.text + terminals.terminalLA.text, "01FF");
        EXPECT_TRUE(terminals.controllerLA.enabled);
        EXPECT_FALSE(terminals.terminalLA.enabled);
        EXPECT_TRUE(terminals.scope.terminalScope);
        EXPECT_FALSE(terminals.scope.controllerScope);

        const TypeChoice controllers = ChooseUnitAndUpgradeType(UnitType::ControllerCD, all);
        EXPECT_EQ(controllers.controllerLA.text + controllers.terminalLA.text, "FF00");
        EXPECT_FALSE(controllers.controllerLA.enabled || controllers.terminalLA.enabled);
        EXPECT_TRUE(controllers.scope.controllerScope);
    }
    const TypeChoice cd = ChooseUnitAndUpgradeType(UnitType::ControllerCD, UpgradeType::Advanced);
    EXPECT_EQ(cd.upgradeType, UpgradeType::Advanced);
    EXPECT_EQ(cd.controllerLA.text, "01");
    EXPECT_FALSE(cd.terminalLA.enabled);
}

} // namespace
