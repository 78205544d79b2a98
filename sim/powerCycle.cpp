#include "sim/powerCycle.h"

#include "sim/imageStart.h"
#include "sim/remoteBootLoader.h"

namespace sim {

namespace {
void cutPower(Unit& unit, std::uint64_t nowMs) {
    unit.faults.powerLoss->fired = true;
    unit.poweredOff = true;
    unit.upgradeUnderWay = unit.upgradeMode || !unit.applicationIntact;
    unit.backOnAtMs = nowMs + unit.faults.powerLoss->offMs;
}

void powerUp(Unit& unit) {
    unit.poweredOff = false;
    unit.upgradeMode = unit.upgradeUnderWay;
    unit.acknowledged = false;
    unit.laChangeBits = 0;
    unit.lastFlashError = 0;
}

// A remote's flash changes only in upgrade mode, so that mode alone says whether its boot
// loader keeps it at power-up.
void powerUp(RemoteUnit& remote) {
    remote.poweredOff = false;
    remote.prepared = false;
}
} // namespace

void cutPowerAtFrame(Network& network, std::size_t frameCount, std::uint64_t nowMs) {
    for (Unit& unit : network.units) {
        const std::optional<PowerLoss>& loss = unit.faults.powerLoss;
        if (loss && !loss->fired && loss->afterFrames && frameCount > *loss->afterFrames)
            cutPower(unit, nowMs);
    }
}

bool unitHears(Unit& unit, std::uint64_t nowMs) {
    if (unit.poweredOff) {
        if (nowMs < unit.backOnAtMs) return false;
        powerUp(unit);
    }
    fallWhenDue(unit, nowMs);
    if (nowMs < unit.busyUntilMs) return false;
    ++unit.requestsSeen;
    const std::optional<PowerLoss>& loss = unit.faults.powerLoss;
    if (loss && !loss->fired && !loss->afterFrames && unit.requestsSeen > loss->afterRequests) {
        cutPower(unit, nowMs);
        return false;
    }
    return true;
}

std::vector<std::uint8_t> relayToRemote(RemoteUnit& remote, std::span<const std::uint8_t> request,
                                        std::uint64_t nowMs) {
    if (remote.poweredOff) {
        if (nowMs < remote.backOnAtMs) return {};
        powerUp(remote);
    }
    ++remote.requestsSeen;
    std::optional<PowerLoss>& loss = remote.powerLoss;
    if (loss && !loss->fired && remote.requestsSeen > loss->afterRequests) {
        loss->fired = true;
        remote.poweredOff = true;
        remote.backOnAtMs = nowMs + loss->offMs;
        return {};
    }
    return handleRemoteRequest(remote, request);
}

} // namespace sim
