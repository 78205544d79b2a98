#pragma once
// What a procedure of the engine works with: the transaction of the run (and through it the
// port), the face, the clock and the operator's stop signal. Both faces build one per run.

#include "clock.h"
#include "console.h"
#include "stopSignal.h"
#include "transaction.h"

struct OperationContext {
    Transaction& link;
    Console& console;
    Clock& clock;
    StopSignal& signal;

    // The operator stopped the run, or the line itself is gone: either way the procedure ends
    // at this checkpoint.
    bool ended() const { return signal.stopRequested() || link.lineLost(); }
};
