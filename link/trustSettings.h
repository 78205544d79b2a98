#pragma once
// Which firmware the operator trusts, held by the bus's session between runs: each run reads
// its folder's trust against it once (link/firmwareTrust.h).

#include <string>

struct TrustSettings {
    // The minisign public key that the working folder's SHA256SUMS must be signed with;
    // empty when none is configured (the list, if any, is then taken as it stands).
    std::string trustedKeyFile;
};
