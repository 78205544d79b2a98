#pragma once
// Which units a four-character address reaches: controller LA, then terminal LA, "FF" in a
// position meaning every unit of that rank.

#include "sim/unitModel.h"

#include <string_view>
#include <vector>

namespace sim {

enum class Rank { None, Controllers, ControllerTerminals, BusTerminals };

struct Reach {
    std::vector<int> units; // indexes into the network, in network order
    bool broadcast = false; // an "FF" address: nobody answers, save the identification cycle
    Rank rank = Rank::None;
};

Reach resolveAddress(const Network& network, std::string_view address);

} // namespace sim
