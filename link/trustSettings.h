#pragma once
// Which firmware the operator trusts, held by the bus's session for the rest of the run and
// handed to every operation: the files themselves are checked where they are read.

#include <string>

struct TrustSettings {
    // The minisign public key that the working folder's SHA256SUMS must be signed with;
    // empty when none is configured (the list, if any, is then taken as it stands).
    std::string trustedKeyFile;
};
