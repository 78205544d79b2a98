#include "sim/unitCommands.h"

#include "link/catalogue.h"
#include "sim/applicationVersion.h"
#include "sim/hexCodec.h"
#include "sim/imageStart.h"
#include "sim/replyLayouts.h"

#include <algorithm>

namespace sim {

namespace {
bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool isIdentificationRank(const Reach& reach) {
    return reach.broadcast && (reach.rank == Rank::Controllers || reach.rank == Rank::BusTerminals);
}

ReplyData identify(const CommandContext& c) {
    if (!isIdentificationRank(c.reach) || c.unit.acknowledged) return std::nullopt;
    return identificationData(c.unit);
}

ReplyData acknowledge(const CommandContext& c) {
    std::optional<std::uint32_t> fixed = hexAt(c.request.command, 2, 8);
    if (!fixed || *fixed != c.unit.fixedAddress) return std::nullopt;
    int& ignored = c.unit.faults.ignoredAcknowledges;
    if (ignored != 0) {
        if (ignored > 0) --ignored;
        return std::nullopt;
    }
    c.unit.acknowledged = true;
    if (c.unit.kind != UnitKind::Controller) return std::nullopt;
    return statusData(statusByte(c.unit));
}

ReplyData restartIdentification(const CommandContext& c) {
    if (isIdentificationRank(c.reach)) c.unit.acknowledged = false;
    return std::nullopt;
}

ReplyData reset(const CommandContext& c) {
    restartUnit(c.unit, c.nowMs);
    if (c.reach.broadcast) return std::nullopt;
    return statusData(statusByte(c.unit));
}

ReplyData answerUnicast(const CommandContext& c, std::string data) {
    if (c.reach.broadcast) return std::nullopt;
    return data;
}
} // namespace

void restartUnit(Unit& unit, std::uint64_t nowMs) {
    ++unit.resets;
    unit.acknowledged = false;
    unit.laChangeBits = 0;
    unit.busyUntilMs = std::max(unit.busyUntilMs, nowMs + unit.faults.slowBootMs);
    if (unit.imageRejected) {
        unit.upgradeMode = true; // the image gave up once: the boot loader keeps the unit
        return;
    }
    if (!unit.applicationIntact) {
        std::uint16_t written = flashedVersion(unit);
        if (written == 0xFFFF) {
            unit.upgradeMode = true; // nothing to run: the boot loader keeps the unit
            return;
        }
        startNewImage(unit, written, nowMs);
    }
    unit.upgradeMode = false;
}

std::optional<ReplyData> handleCommonCommand(const CommandContext& c) {
    const std::string& command = c.request.command;
    if (startsWith(command, cmd::StatusPoll))
        return answerUnicast(c, statusData(statusByte(c.unit)));
    if (startsWith(command, cmd::UnitInfo)) {
        if (c.unit.faults.answersStatusNotInfo) return ReplyData{};
        std::uint16_t second = c.unit.hasRemote ? c.unit.remote.version : c.unit.secondVersion;
        return answerUnicast(c, unitInfoData(c.unit, second));
    }
    if (startsWith(command, cmd::IdentifyCode)) return identify(c);
    if (startsWith(command, cmd::AcknowledgeCode)) return acknowledge(c);
    if (startsWith(command, cmd::IdentifyBoundary)) return restartIdentification(c);
    if (startsWith(command, cmd::Reset)) return reset(c);
    if (startsWith(command, cmd::EnterUpgrade)) return enterUpgradeMode(c);
    return std::nullopt;
}

ReplyData handleUnitCommand(const CommandContext& c) {
    c.unit.commands.push_back(c.request.command);
    if (std::optional<ReplyData> common = handleCommonCommand(c)) return *common;
    return c.unit.upgradeMode ? handleBootLoaderCommand(c) : handleApplicationCommand(c);
}

} // namespace sim
