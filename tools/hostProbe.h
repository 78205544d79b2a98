#pragma once
// The first step of the survey: the host unit, asked at its three possible positions.

#include "link/operationContext.h"
#include "surveyTable.h"

enum class HostKind {
    hkNone,
    hkReaderOrInterface, // registration reader or host interface, LA 7F
    hkAdaptionSet,       // LA 7E
    hkTagPilot,          // LA 7E on the terminal side
};

struct HostProbe {
    HostKind kind = HostKind::hkNone;
    bool upgradeMode = false;
};

// Asks "7F00", then "7E00", then "007E" until one answers; writes the heading, the header and
// the unit line of the one that answered into the report and its record into row 0, column 0.
// Writes nothing when none answers.
HostProbe probeHost(OperationContext& context, SurveyTable& table);
