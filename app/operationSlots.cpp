// Handlers of the operations that the engine's faces provide; each is connected to its
// control, and does nothing until its operation is wired in.

#include "fwUpgrade.h"

#include "image/fileSelection.h"
#include "radioGroup.h"
#include "trust/folderTrust.h"

// Refused while an operation runs, since the report reads into the image that an upgrade
// may be sending.
void TForm1::mnuVerClick() {
    const auto upgradeType = static_cast<UpgradeType>(rgUpgradeType->itemIndex());
    const TrustSettings trust = session.trustSettings();
    runOperation([this, upgradeType, trust] {
        ReportFileVersions(image, *this, upgradeType, ReadFirmwareTrust(trust));
    });
}
