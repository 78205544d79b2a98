#include "sim/imageStart.h"

namespace sim {

void startNewImage(Unit& unit, std::uint16_t written, std::uint64_t nowMs) {
    unit.applicationIntact = true;
    UnitFaults& faults = unit.faults;
    if (faults.keepsOldFirmware) return; // the application of before runs on, as it was
    unit.version = faults.versionAfter.value_or(written);
    if (faults.bootsIntoBootLoader && !faults.bootsIntoBootLoader->fired) {
        faults.bootsIntoBootLoader->fired = true;
        unit.fallsIntoBootLoaderAtMs = nowMs + faults.bootsIntoBootLoader->afterMs;
    }
}

void fallWhenDue(Unit& unit, std::uint64_t nowMs) {
    if (unit.fallsIntoBootLoaderAtMs == 0 || nowMs < unit.fallsIntoBootLoaderAtMs) return;
    unit.fallsIntoBootLoaderAtMs = 0;
    unit.imageRejected = true;
    unit.upgradeMode = true;
    unit.acknowledged = false;
    ++unit.resets;
}

void forgetRejectedImage(Unit& unit) {
    unit.imageRejected = false;
    unit.fallsIntoBootLoaderAtMs = 0;
}

bool willBeInBootLoader(const Unit& unit) {
    if (unit.poweredOff) return unit.upgradeUnderWay;
    return unit.upgradeMode || unit.fallsIntoBootLoaderAtMs != 0;
}

} // namespace sim
