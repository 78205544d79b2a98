// Handlers of the operations that the engine's faces provide; each is connected to its
// control.

#include "fwUpgrade.h"
#include "upgradePage.h"

// Refused while an operation runs, since the report reads into the image that an upgrade
// may be sending.
void TForm1::mnuVerClick() {
    bus_.reportFileVersions(upgradePage_->upgradeType());
}
