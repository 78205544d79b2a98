#pragma once
// The firmware files of the working folder as the plan sees them: which one a product takes
// under a unit type, whether it reads, and its version; each file is read once per run and
// without a log line.

#include "image/firmwareImage.h"
#include "link/firmwareTrust.h"
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
    std::string sha256;  // of the file's bytes; empty when it could not be read
    std::string refusal; // why the trust check refused it; such a file is not readable
    // Why a file that is there cannot be sent: the reader's words ("Application File damaged at
    // line 12!"); empty when it reads, is refused or is not there.
    std::string unreadable;
};

class FirmwareShelf {
public:
    // Files are held to the folder's trust as the run read it, which outlives the shelf.
    explicit FirmwareShelf(const FirmwareTrust& trust) : trust_(trust) {}
    // The application file of a product under a unit type; nothing when it has none.
    std::optional<ShelfFile> application(int productId, UnitType unitType);
    // The image of a remote product behind a terminal; nothing when it has none.
    std::optional<ShelfFile> remoteImage(int productId);

private:
    const FirmwareTrust& trust_;
    FirmwareImage image_;
    std::map<std::string, ShelfFile> read_;
};
