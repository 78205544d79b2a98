#pragma once
// The check every firmware file passes before anything is sent, against the folder's trust as
// the run read it (trust/folderTrust.h): a refused folder refuses the file; with a list, the
// file must be listed there with the digest of its bytes; without a list (and without a key)
// the file is taken as it stands.

#include "link/console.h"
#include "link/firmwareTrust.h"
#include "trust/wholeFile.h"

#include <string>
#include <string_view>

// Firmware files are a few hundred KiB; anything near this is not one.
inline constexpr std::size_t kFirmwareFileLimit = 16 * 1024 * 1024;

struct FileVerdict {
    std::string sha256;  // lower-case hex digest of the bytes checked
    std::string refusal; // empty: the file may be sent; else the line that says why not
    bool accepted() const { return refusal.empty(); }
};

// Checks bytes, the content of the firmware file name (as found in the working folder, or the
// operator's path), against trust. A list verified against the trusted key writes its trusted
// comment to console's status log; the refusal line is the caller's to show.
FileVerdict CheckFirmwareFile(Console& console, const FirmwareTrust& trust, const std::string& name,
                              std::string_view bytes);

// The same for a file as it was read whole: one that is there but cannot be read, or is larger
// than kFirmwareFileLimit, is refused with why.
FileVerdict CheckFirmwareRead(Console& console, const FirmwareTrust& trust, const std::string& name,
                              const WholeFile& file);
