#pragma once
// Reading a network description (JSON) into the simulator's model.

#include "sim/unitModel.h"

#include <optional>
#include <string>
#include <string_view>

namespace sim {

struct NetworkLoad {
    std::optional<Network> network;
    std::string error; // why there is no network: the key or value at fault
};

NetworkLoad parseNetwork(std::string_view jsonText);
NetworkLoad loadNetworkFile(const std::string& path);

} // namespace sim
