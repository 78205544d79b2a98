#pragma once
// The firmware folder's trust for one run: what the working folder's SHA256SUMS, its signature
// and the trusted key said when the run began (trust/folderTrust.h reads them). Every read of a
// firmware file in that run is held to this one value, so a list that changes or becomes
// unreadable halfway cannot let one file through that another run would refuse.

#include <map>
#include <optional>
#include <string>

struct FirmwareTrust {
    // Set: no file may be sent, and this says why ("SHA256SUMS cannot be read (it is a
    // folder)", "the trusted key site.pub cannot be read (Permission denied)", ...).
    std::string refusal;
    // The list, name as listed -> lower-case hex digest; none when the folder holds no
    // SHA256SUMS and no key is configured: every file is then taken as it stands.
    std::optional<std::map<std::string, std::string>> digests;
    // Said in the status log where a file is checked against a list the trusted key signed:
    // the key's ID and the signature's trusted comment. Empty when the list is not signed.
    std::string signatureLine;

    // The trust of an operation that never read its folder's: it refuses every file, so a
    // procedure handed it by mistake sends nothing.
    static const FirmwareTrust& unread();
};
