#pragma once
// When a unit takes a firmware file: the one test that the single-unit and all-at-once upgrades
// and the site plan all apply, and the oldest remote the remote upgrade can write.

#include <cstdint>

// A version word of 0xFFFF is what a unit in its boot loader reports as its version.
inline constexpr std::uint16_t kVersionInUpgradeMode = 0xFFFF;

// Remotes below V2.00 cannot be written through their terminal.
inline constexpr std::uint16_t kOldestUpgradableRemote = 0x0200;

struct UnitVersion {
    std::uint16_t version = 0;
    bool inUpgradeMode = false; // the unit said so in its status
};

// The unit is behind the file, sits in its boot loader, or the operator forces the upgrade.
bool needsUpgrade(const UnitVersion& unit, std::uint16_t fileVersion, bool force = false);

bool remoteUpgradable(std::uint16_t remoteVersion);
