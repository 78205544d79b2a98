#pragma once
// What a site run concludes of each unit it planned: from what its upgrade step made of it and,
// when one ran, what the verifying survey read of it.

#include "link/outcome.h"
#include "site/sitePlan.h"
#include "site/siteUnit.h"

#include <optional>

// What the steps of a run made of one unit of the bus.
struct UnitRecord {
    std::optional<Outcome> outcome; // empty: no step reached it
    bool wrotePages = false;        // its step sent pages while it had not finished
};

// The unit as its step left it, before any survey proved anything: a unit whose pages were cut
// short by a Stop or a lost line is left in its boot loader.
void concludeFromStep(SiteUnit& unit, const UnitRecord& record);

// The unit as the verifying survey found it (nothing: not found). True when it is proven at its
// file's version and running.
bool concludeFromSurvey(SiteUnit& unit, const UnitRecord& record, const SurveyedUnit* found);

// The procedure itself failed on the unit or refused it: another pass would do the same.
bool failedInItsStep(const UnitRecord& record);
