#pragma once
// What a survey on a faulty line told the operator, set against the network it surveyed.

#include "cellRun.h"
#include "sim/unitModel.h"
#include "tools/surveyTable.h"

#include <string>
#include <vector>

namespace faultmatrix {

// Completed: every unit is in the report with its LA, product and version. FalseSuccess: a
// unit that does not exist, or a unit with a wrong LA, product, version or controller, is
// stated as fact. FailedClearly: units are missing, but a line names what could not be read
// (the unit's "Comms Error!" line, or its controller's, or "No response!" under the heading
// of its controller's terminals). Missed: a host or controller never answered (its reply lost
// at every try), so the survey cannot know it exists. FailedSilent: a unit is absent that the
// survey could have named.
Verdict judgeSurvey(const sim::Network& network, const SurveyTable& table,
                    const std::vector<std::string>& reportLines, std::string& detail);

} // namespace faultmatrix
