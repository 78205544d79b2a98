#pragma once
// What the "&Comms Test" button runs once it has started a run: the port held for the whole
// run, the comms test or the fast-poll diagnostics, and "Finished." at the end.

#include "commsTest.h"
#include "fastPoll.h"
#include "link/operation.h"

struct LineDiagnosticsSettings {
    bool fastPoll = false; // "Online and timeout diagnostics"
    std::string cla;       // "CCTT" for the comms test, "LL" for the fast-poll diagnostics
    std::string cycles;    // the comms test's "No Of Cycles:"
};

struct LineDiagnosticsResult {
    // The comms test's or the fast poll's end; failed when the port did not open.
    Outcome end = Outcome::failed(PortSession::kOpenFailed);
    bool portOpened = false;
    CommsTestResult commsTest;
};

LineDiagnosticsResult runLineDiagnostics(const OperationContext& context, SurveyTable& table,
                                         const LineDiagnosticsSettings& settings);
