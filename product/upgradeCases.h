#pragma once
// Where an upgrade treats a unit otherwise than by its application file alone.

#include <cstdint>

// How a unit of a remote's class is reached when it is upgraded singly.
enum class RemoteRoute {
    NotRemote,
    ThroughTerminal, // its terminal carries the image to it
    OwnPass,         // the ordinary pass, even under the unit type "Remote"
};

// The boot loader's entry command.
enum class UpgradeEntry {
    Plain,            // "E0"
    Extended,         // "E001"
    ExtendedAsRemote, // "E001" when upgraded under the unit type "Remote", else "E0"
};

struct SingleUnitCase {
    RemoteRoute route = RemoteRoute::NotRemote;
    // Under the unit type "Terminal", the product whose application file the pass reads in
    // place of the unit's own; 0 for the unit's own.
    std::uint8_t terminalFileProduct = 0;
    UpgradeEntry entry = UpgradeEntry::Plain;
};

// The special cases of the single-unit pass, which go by upgrade class.
SingleUnitCase singleUnitCase(std::uint8_t upgradeClass);

// Products that the all-at-once broadcast upgrade never upgrades, whatever their class.
bool isPassedOverByBroadcast(std::uint8_t productId);
