#pragma once
// The operator's two choices on the upgrade page: which kind of unit, and how many of them.
// The file choice reads them as well as the upgrade engine and both faces, so they live here,
// below everything that uses them; the unit type lies lower still, in the product table.
// The values are the item indexes of the window's groups.

#include "product/unitType.h"

enum class UpgradeType { SingleUnit, AllUnits, AllUnitsOneAtATime, Advanced };
