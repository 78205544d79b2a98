#pragma once
// The firmware files of the working folder as the plan sees them: which one a product takes
// under a unit type, whether it reads, and its version; each file is read once per run and
// without a log line.

#include "image/firmwareImage.h"
#include "product/unitType.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct ShelfFile {
    std::string name;
    bool readable = false; // missing, damaged or without data: nothing to send
    // A remote image carries no version the tool reads: empty for those.
    std::optional<std::uint16_t> version;
};

class FirmwareShelf {
public:
    // The application file of a product under a unit type; nothing when it has none.
    std::optional<ShelfFile> application(int productId, UnitType unitType);
    // The image of a remote product behind a terminal; nothing when it has none.
    std::optional<ShelfFile> remoteImage(int productId);

private:
    FirmwareImage image_;
    std::map<std::string, ShelfFile> read_;
};
