#pragma once
// Which application file and which upgrade class belong to a product ID.

#include <cstdint>
#include <optional>
#include <string>

// Item indexes of the unit type and upgrade type choices of the window.
enum UnitType : int {
    utTerminal = 0,
    utControllerAB = 1,
    utHostInterface = 2,
    utControllerCD = 3,
    utRemote = 4
};
enum UpgradeType : int {
    ugSingleUnit = 0,
    ugAllUnits = 1,
    ugAllUnitsOneAtATime = 2,
    ugAdvanced = 3
};

enum class FileFormat { IntelHex, SRecord };

struct ApplicationFile {
    std::string name; // a bare name, looked for in the working folder
    FileFormat format;
};

// The application file of a product under a unit type; none when the product has none.
std::optional<ApplicationFile> ApplicationFileFor(std::uint8_t productId, int unitType);

// Upgrade class of a product (0: no class). Units of one class take the same file.
std::uint8_t GetUpgradeType(std::uint8_t productId, int unitType);
