#pragma once
// Which application file and which upgrade class belong to a product ID.

#include "image/unitChoice.h"

#include <cstdint>
#include <optional>
#include <string>

enum class FileFormat { IntelHex, SRecord };

struct ApplicationFile {
    std::string name; // a bare name, looked for in the working folder
    FileFormat format;
};

// The application file of a product under a unit type; none when the product has none.
std::optional<ApplicationFile> ApplicationFileFor(std::uint8_t productId, UnitType unitType);

// Upgrade class of a product (0: no class). Units of one class take the same file.
std::uint8_t GetUpgradeType(std::uint8_t productId, UnitType unitType);
