#pragma once
// What a site run concludes of each unit it planned: from what the run's ledger says happened
// to it and, when one ran, what the verifying survey read of it.

#include "link/outcome.h"
#include "link/unitLedger.h"
#include "site/sitePlan.h"
#include "site/siteUnit.h"

// The unit as the run left it when it ended (end: a Stop, a lost line, an error) before a
// survey could prove anything: one asked into upgrade mode and not confirmed running since is
// left in its boot loader, with its own reason when it failed; one confirmed running is not
// verified; one never asked is not done.
void concludeFromLedger(SiteUnit& unit, const UnitLife* life, const Outcome& end);

// The unit as the verifying survey found it (nothing: not found). True when it is proven at its
// file's version and running.
bool concludeFromSurvey(SiteUnit& unit, const UnitLife* life, const SurveyedUnit* found);

// The procedure itself failed on the unit or refused it: another pass would do the same.
bool failedInItsStep(const UnitLife* life);
