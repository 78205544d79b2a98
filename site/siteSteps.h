#pragma once
// The upgrade runs that bring a planned site up to date, in the order a technician would make
// them in the window, each with the unit type, upgrade type and LA boxes chosen there: the
// remotes one by one; the terminals of each controller all together ("ALL units" under that
// controller, a class broadcast once) and singly those the all-at-once upgrade passes over; the
// A/B controllers, then the C/D controllers, the same way; the host interface.
//
// An "ALL units" run finds and works on every unit of its scope whose file is newer, not only
// the planned ones. It is chosen only when that is exactly the planned units of the step; when
// it would also reach a unit the plan does not upgrade under that unit type (a product-5
// controller of the other model, a unit the survey could not read), the planned units of the
// step go singly instead. Units that are up to date are passed over by the procedure's own
// version test and never enter upgrade mode.

#include "site/firmwareShelf.h"
#include "site/sitePlan.h"
#include "upgrade/settings.h"

#include <cstddef>
#include <string>
#include <vector>

struct SiteStep {
    UpgradeSettings settings; // as the window's controls would stand
    ScopeFlags scope;
    std::vector<std::size_t> units; // the planned units it works on, by index into the plan
    std::string title;              // one line that says what the run is for
};

std::vector<SiteStep> siteSteps(const std::vector<SurveyedUnit>& units, ControllerModel model,
                                FirmwareShelf& shelf);
