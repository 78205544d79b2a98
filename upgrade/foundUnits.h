#pragma once
// The units that discovery found for a global upgrade, by LA 1 to 64. There is no entry 0 and
// none above 64: an LA outside that range is simply not in the table.

#include "upgrade/upgradeRule.h"
#include <array>
#include <cstdint>
#include <string>

enum class UnitState : std::uint8_t { Empty, Pending, Failed, Done };

struct FoundUnit {
    std::uint8_t productId = 0; // 0: no unit at this LA
    std::uint16_t version = 0;  // 0xFFFF: the unit reported upgrade mode
    std::uint8_t upgradeClass = 0;
    UnitState state = UnitState::Empty;
    std::string reason; // why it failed, in the words of its status line ("Erase Error 05")
};

class FoundUnits {
public:
    static constexpr int kFirstLA = 1;
    static constexpr int kLastLA = 64;

    static bool holds(int la) { return la >= kFirstLA && la <= kLastLA; }

    // The entry of an LA, or nullptr when the LA is outside the table.
    FoundUnit* at(int la);
    const FoundUnit* at(int la) const;

    void clear();

private:
    std::array<FoundUnit, kLastLA> units_{};
};
