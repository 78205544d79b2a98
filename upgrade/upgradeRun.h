#pragma once
// Everything an upgrade procedure works with during one run of the Upgrade button.

#include "image/firmwareImage.h"
#include "link/operationContext.h"
#include "upgrade/foundUnits.h"
#include "upgrade/settings.h"

struct UpgradeRun {
    OperationContext ctx;
    UpgradeSettings settings;
    ScopeFlags scope;
    FirmwareImage& image;
    FoundUnits& units;
};
