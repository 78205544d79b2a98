#include "sim/networkSimulator.h"

#include "sim/addressing.h"
#include "sim/collision.h"
#include "sim/powerCycle.h"
#include "sim/unitCommands.h"

namespace sim {

NetworkSimulator::NetworkSimulator(Network network)
    : network_(std::move(network)), dice_(network_.seed) {}

Unit* NetworkSimulator::unit(const std::string& name) {
    int index = findUnit(network_, name);
    return index < 0 ? nullptr : &network_.units[static_cast<std::size_t>(index)];
}

const Unit* NetworkSimulator::unit(const std::string& name) const {
    int index = findUnit(network_, name);
    return index < 0 ? nullptr : &network_.units[static_cast<std::size_t>(index)];
}

// A unit without power, or one busy clearing its memory, hears nothing.
bool NetworkSimulator::isListening(Unit& unit, std::uint64_t nowMs) {
    return unitHears(unit, nowMs);
}

void NetworkSimulator::record(const Request& request, bool broadcast, std::uint64_t nowMs) {
    ReceivedFrame frame{request.address, request.sequence, request.command, nowMs};
    network_.frames.push_back(frame);
    if (broadcast) network_.broadcasts.push_back(frame);
}

std::vector<OutgoingReply> NetworkSimulator::receiveFrame(std::string_view frame,
                                                          std::uint64_t nowMs) {
    std::optional<Request> request = parseRequest(frame);
    if (!request) {
        ++network_.badFrames;
        return {};
    }
    Reach reach = resolveAddress(network_, request->address);
    record(*request, reach.broadcast || request->address.find("FF") != std::string::npos, nowMs);
    cutPowerAtFrame(network_, network_.frames.size(), nowMs);
    std::vector<OutgoingReply> replies;
    for (int index : reach.units) {
        Unit& unit = network_.units[static_cast<std::size_t>(index)];
        if (!isListening(unit, nowMs)) continue;
        ReplyData data = handleUnitCommand({network_, unit, *request, reach, nowMs});
        if (!data) continue;
        ReplyParts parts{unitAddress(network_, unit), request->sequence, *data};
        std::optional<OutgoingReply> reply =
            faultyReply(parts, unit.faults.replies, network_.lineFaults, network_.latencyMs, dice_);
        if (reply) replies.push_back(std::move(*reply));
    }
    if (network_.frames.size() == network_.lostReplyFrame) replies.clear();
    if (reach.broadcast) return replies; // the units of a broadcast take their turns
    return collide(std::move(replies), network_.collisions);
}

} // namespace sim
