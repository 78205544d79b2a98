#pragma once
// What a test that reads firmware files itself (to know what a unit should hold) hands the
// readers: the working folder's trust as a run without a trusted key reads it now.

#include "image/remoteImage.h"
#include "link/operationContext.h"
#include "link/silentConsole.h"
#include "trust/folderTrust.h"

inline FirmwareTrust folderTrust() {
    return ReadFirmwareTrust(TrustSettings{});
}

// The remote image of productId, read without a line.
inline RemoteImageResult readRemoteImage(FirmwareImage& image, std::uint8_t productId) {
    SilentConsole quiet;
    return ReadRemoteImage(image, productId, quiet, folderTrust());
}

// An operation a test runs on a session reads the working folder's trust at its start, as a
// face does: the session's own context trusts no file.
struct TrustedContext {
    FirmwareTrust trust;
    OperationContext context;
    explicit TrustedContext(const OperationContext& given)
        : trust(folderTrust()), context{given.link,    given.console, given.clock,
                                        given.control, trust,         given.units} {}
};
