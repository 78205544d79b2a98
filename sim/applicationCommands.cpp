// Commands the running application of a unit understands.

#include "link/catalogue.h"
#include "sim/hexCodec.h"
#include "sim/messageText.h"
#include "sim/powerCycle.h"
#include "sim/remoteBootLoader.h"
#include "sim/replyLayouts.h"
#include "sim/unitCommands.h"

#include <algorithm>

namespace sim {

namespace {
constexpr std::uint8_t kPort2Failed = 0x40;
constexpr std::uint8_t kFastPollUnsupportedBit = 0x04;

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool isController(const Unit& u) {
    return u.kind == UnitKind::Controller;
}

ReplyData unicastStatus(const CommandContext& c, std::uint8_t extraBits = 0) {
    if (c.reach.broadcast) return std::nullopt;
    return statusData(static_cast<std::uint8_t>(statusByte(c.unit) | extraBits));
}

ReplyData newLa(const CommandContext& c) {
    std::optional<std::uint32_t> fixed = hexAt(c.request.command, 2, 8);
    std::optional<std::uint32_t> la = hexAt(c.request.command, 10, 2);
    if (!fixed || !la || *fixed != c.unit.fixedAddress) return std::nullopt;
    if (c.unit.faults.refuseNewLa) return std::nullopt;
    c.unit.la = static_cast<std::uint8_t>(*la);
    c.unit.laChangeBits = c.unit.faults.laChangeFailure;
    return statusData(statusByte(c.unit));
}

ReplyData clearMemory(const CommandContext& c) {
    if (!isController(c.unit)) return std::nullopt;
    ++c.unit.memoryClears;
    restartUnit(c.unit, c.nowMs);
    c.unit.busyUntilMs = std::max(c.unit.busyUntilMs, c.nowMs + c.network.clearMemoryMs);
    return std::nullopt;
}

ReplyData port2(const CommandContext& c) {
    const std::string& command = c.request.command;
    if (!isController(c.unit) || command.size() != 3) return std::nullopt;
    if (command[2] != '0' && command[2] != '1') return unicastStatus(c, kPort2Failed);
    if (c.unit.refusePort2) return unicastStatus(c, kPort2Failed);
    c.unit.port2Mode = command[2] - '0';
    return unicastStatus(c);
}

ReplyData defaultMessage(const CommandContext& c) {
    std::string text = c.request.command.substr(2);
    c.unit.rawMessage = text;
    c.unit.message = unescapeMessage(text).value_or(std::vector<std::string>{});
    return unicastStatus(c);
}

ReplyData passThrough(const CommandContext& c) {
    std::string_view args = std::string_view(c.request.command).substr(5);
    std::optional<std::uint32_t> wait = hexAt(args, 0, 2);
    if (!c.unit.hasRemote || !wait || args.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> request;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        std::optional<std::uint32_t> byte = hexAt(args, i, 2);
        if (!byte) return std::nullopt;
        request.push_back(static_cast<std::uint8_t>(*byte));
    }
    std::vector<std::uint8_t> answer = relayToRemote(c.unit.remote, request, c.nowMs);
    if (*wait == remote::WaitNone || c.reach.broadcast) return std::nullopt;
    return bytesData(statusByte(c.unit), answer);
}

ReplyData closeRemote(const CommandContext& c) {
    if (!c.unit.hasRemote) return std::nullopt;
    return unicastStatus(c);
}

// A controller knows its terminals; the host unit knows the controllers.
bool knownBy(const CommandContext& c, const Unit& u) {
    int self = static_cast<int>(&c.unit - c.network.units.data());
    bool ownTerminal = u.kind == UnitKind::Terminal && u.controller == self;
    return ownTerminal || (c.unit.kind == UnitKind::Host && isController(u));
}

// Without power, or busy clearing its memory: the unit's polls time out.
bool isSilent(const Unit& u, std::uint64_t nowMs) {
    return (u.poweredOff && nowMs < u.backOnAtMs) || nowMs < u.busyUntilMs;
}

std::vector<ListedUnit> listedUnits(const CommandContext& c) {
    std::vector<ListedUnit> listed;
    for (const Unit& u : c.network.units)
        if (knownBy(c, u)) listed.push_back({u.la, u.fixedAddress, u.productId});
    return listed;
}

ReplyData unitList(const CommandContext& c) {
    if (!isController(c.unit) && c.unit.kind != UnitKind::Host) return std::nullopt;
    if (c.reach.broadcast) return std::nullopt;
    std::string data = unitListData(statusByte(c.unit), listedUnits(c));
    // The count follows the status byte: two hex digits.
    if (std::optional<std::uint8_t> announced = c.unit.faults.announcedListCount)
        data.replace(2, 2, hexText::byte(*announced));
    return data;
}

bool fastPollCapable(const Unit& u) {
    return isController(u) || u.kind == UnitKind::Host;
}

ReplyData fastPollStart(const CommandContext& c) {
    if (!fastPollCapable(c.unit)) return std::nullopt;
    return unicastStatus(c, c.unit.fastPollSupported ? 0 : kFastPollUnsupportedBit);
}

ReplyData fastPollCounters(const CommandContext& c) {
    if (!fastPollCapable(c.unit) || !c.unit.fastPollSupported || c.reach.broadcast)
        return std::nullopt;
    std::vector<std::uint8_t>& counters = c.unit.fastPollTimeouts;
    counters.resize(static_cast<std::size_t>(c.unit.fastPollUnits), 0);
    // Every reading finds one more time-out for each known unit that has stopped answering.
    for (const Unit& u : c.network.units) {
        if (!knownBy(c, u) || u.la < 1 || u.la > c.unit.fastPollUnits || !isSilent(u, c.nowMs))
            continue;
        std::uint8_t& count = counters[static_cast<std::size_t>(u.la - 1)];
        if (count < 0xFF) ++count;
    }
    return bytesData(statusByte(c.unit), counters);
}

// Bit k of a map stands for LA k + 1; the map is written with one hex digit per 4 LAs.
std::string mapText(std::uint64_t bits, int units) {
    std::string text;
    for (int digit = units / 4 - 1; digit >= 0; --digit)
        text += "0123456789ABCDEF"[(bits >> (4 * digit)) & 0xF];
    return text;
}

ReplyData onlineMap(const CommandContext& c, bool second) {
    if (!fastPollCapable(c.unit) || !c.unit.fastPollSupported || c.reach.broadcast)
        return std::nullopt;
    std::uint64_t online = 0, offline = c.unit.extraOnlineMap;
    for (const Unit& u : c.network.units) {
        if (!knownBy(c, u) || u.la < 1 || u.la > c.unit.fastPollUnits) continue;
        std::uint64_t bit = std::uint64_t{1} << (u.la - 1);
        (isSilent(u, c.nowMs) ? offline : online) |= bit;
    }
    return hex2(statusByte(c.unit)) + mapText(second ? offline : online, c.unit.fastPollUnits);
}
} // namespace

ReplyData handleApplicationCommand(const CommandContext& c) {
    const std::string& command = c.request.command;
    if (startsWith(command, cmd::NewLaCode)) return newLa(c);
    if (startsWith(command, cmd::ClearMemory)) return clearMemory(c);
    if (startsWith(command, "2D")) return port2(c);
    if (startsWith(command, cmd::DefaultMessageCode)) return defaultMessage(c);
    if (startsWith(command, cmd::PassThroughCode)) return passThrough(c);
    if (command == cmd::RemoteClose) return closeRemote(c);
    if (command == cmd::UnitList || command == cmd::TerminalList) return unitList(c);
    if (command == cmd::FastPollStart) return fastPollStart(c);
    if (command == cmd::FastPollCounters) return fastPollCounters(c);
    if (command == cmd::OnlineMapFirst) return onlineMap(c, false);
    if (command == cmd::OnlineMapSecond) return onlineMap(c, true);
    // "9A", "9B00", "9B01", "A4" and anything unknown: kept in the unit's record, no reply.
    return std::nullopt;
}

} // namespace sim
