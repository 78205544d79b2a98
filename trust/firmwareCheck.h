#pragma once
// The check every firmware file passes before anything is sent: when the working folder holds
// a SHA256SUMS, the file must be listed there with the digest of its bytes; with a trusted key
// configured, the list must also carry that key's minisign signature in SHA256SUMS.minisig.
// Without a list and without a key every file is taken as it stands.

#include "link/console.h"
#include "link/trustSettings.h"

#include <string>
#include <string_view>

inline constexpr const char* kSignatureFileName = "SHA256SUMS.minisig";
// Firmware files are a few hundred KiB; anything near this is not one.
inline constexpr std::size_t kFirmwareFileLimit = 16 * 1024 * 1024;

struct FileVerdict {
    std::string sha256;  // lower-case hex digest of the bytes checked
    std::string refusal; // empty: the file may be sent; else the line that says why not
    bool accepted() const { return refusal.empty(); }
};

// Checks bytes, the content of the firmware file name (as found in the working folder, or the
// operator's path), against the folder's list. A list verified against the trusted key writes
// its trusted comment to console's status log; the refusal line is the caller's to show.
FileVerdict CheckFirmwareFile(Console& console, const TrustSettings& trust, const std::string& name,
                              std::string_view bytes);
