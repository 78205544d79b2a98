#pragma once
// What one unit does with one request that reached it, and what it sends back.

#include "sim/addressing.h"
#include "sim/requestFrame.h"
#include "sim/unitModel.h"

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

struct CommandContext {
    Network& network;
    Unit& unit;
    const Request& request;
    const Reach& reach;
    std::uint64_t nowMs;
};

// The reply data from the status byte on, or nothing when the unit stays silent.
using ReplyData = std::optional<std::string>;

ReplyData handleUnitCommand(const CommandContext& context);

// Split by who answers: the running application, or the boot loader in upgrade mode.
ReplyData handleApplicationCommand(const CommandContext& context);
ReplyData handleBootLoaderCommand(const CommandContext& context);
// Commands that both understand; nothing when the command is not one of them.
std::optional<ReplyData> handleCommonCommand(const CommandContext& context);

// "E0" and "E001": both the application and the boot loader take them.
ReplyData enterUpgradeMode(const CommandContext& context);

// The unit restarts: the boot loader starts the application when the flash holds one.
void restartUnit(Unit& unit, std::uint64_t nowMs);

} // namespace sim
