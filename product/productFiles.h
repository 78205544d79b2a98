#pragma once
// The firmware a product takes: its application file and upgrade class under a unit type,
// and the image of a remote behind a terminal.

#include "product/firmwareFiles.h"
#include "product/unitType.h"

#include <cstdint>
#include <optional>
#include <string>

// The application file of a product under a unit type; none when the product has none.
std::optional<ApplicationFile> ApplicationFileFor(std::uint8_t productId, UnitType unitType);

// Upgrade class of a product (0: no class). Units of one class take the same file.
std::uint8_t GetUpgradeType(std::uint8_t productId, UnitType unitType);

// The image file of a remote product, if it has one.
std::optional<std::string> RemoteImageFileName(std::uint8_t productId);
