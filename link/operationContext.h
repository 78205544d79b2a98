#pragma once
// What a procedure of the engine works with: the transaction of the run (and through it the
// port), the face, the clock and the run control that carries the operator's Stop and Skip.
// A LinkSession gives one to every operation it runs.

#include "clock.h"
#include "console.h"
#include "runControl.h"
#include "transaction.h"

struct OperationContext {
    Transaction& link;
    Console& console;
    Clock& clock;
    RunControl& control;

    // The operator stopped the run, or the line itself is gone: either way the procedure ends
    // at this checkpoint.
    bool ended() const { return control.stopRequested() || link.lineLost(); }
};
