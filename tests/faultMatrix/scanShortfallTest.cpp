// Discovery by scan on a line that loses the information reply: the matrix met a controller
// that answered the poll and then fell silent, and the run reported success without it.

#include "tests/globalUpgrade/upgradeFixture.h"
#include "upgrade/dispatcher.h"

using namespace upgradetest;

namespace {

constexpr char kControllers[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01" },
  { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "version": "2.01",
    "faults": { "answersStatusNotInfo": true } } ] })";

class ControllerScan : public UpgradeInVirtualTime {
protected:
    ControllerScan() : UpgradeInVirtualTime(kControllers) {
        settings = {UnitType::ControllerAB, UpgradeType::AllUnits, false, "FF", "00"};
        scope.controllerScope = true;
        writeFirmware("Controller-K2.hex", fwgen::FileFormat::Hex16, 2, 35, 4096, 7);
    }
    bool upgrade() {
        UpgradeRun r = run();
        return RunUpgrade(r).succeeded();
    }
    bool said(const std::string& line) const {
        return std::ranges::count(console.statusLines, line) > 0;
    }
};

TEST_F(ControllerScan, AUnitHeardOnlyByItsPollIsListedAndFailsTheRun) {
    EXPECT_FALSE(upgrade());
    EXPECT_TRUE(said("[02] - No response!"));
    EXPECT_TRUE(said("Unit 0100 upgrade OK."));
    EXPECT_TRUE(said("Unit 0200 upgrade Failed!"));
    EXPECT_EQ(state(2), UnitState::Failed);
    EXPECT_EQ(unit("c2").version, 0x0201); // never sent an image by class
}

TEST_F(ControllerScan, OneAtATimeGivesSuchAUnitItsOwnTries) {
    settings.upgradeType = UpgradeType::AllUnitsOneAtATime;
    EXPECT_FALSE(upgrade());
    // Both attempts of the single-unit upgrade ask it, and say why it fails.
    EXPECT_EQ(std::ranges::count(console.statusLines, "No unit detected!"), 2);
    EXPECT_TRUE(said("Unit 0200 upgrade Failed!"));
    EXPECT_TRUE(said("Unit 0100 upgrade OK."));
}

} // namespace
