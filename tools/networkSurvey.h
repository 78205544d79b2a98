#pragma once
// The network survey behind "&Ping": everything that answers on the bus, written to the
// report log and kept in the survey table for the comms test.

#include "hostProbe.h"
#include "link/operationContext.h"
#include "link/outcome.h"
#include "surveyTable.h"

struct SurveyOutcome {
    // Completed when the survey ran to its "Finished."; failed when the port did not open;
    // stopped or line lost when the run ended under it (the table holds what was read).
    Outcome end = Outcome::completed();
    bool portOpened = false;
    HostProbe host;
    int controllers = 0;            // controllers found
    int busTerminals = 0;           // terminals found without a controller
    bool busTerminalsAsked = false; // only when neither a host nor a controller answered
    bool identifyGaveUp = false;    // a group never fell quiet (see kIdentifyPassLimit)
};

// Clears the report log and the table, opens the port (the error box when it does not open,
// leaving the table as it was) and surveys the network to "Finished.". It cannot be stopped.
SurveyOutcome surveyBus(OperationContext& context, SurveyTable& table);
