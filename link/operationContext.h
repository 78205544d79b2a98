#pragma once
// What a procedure of the engine works with: the transaction of the run (and through it the
// port), the face, the clock and the run control that carries the operator's Stop and Skip.
// A LinkSession gives one to every operation it runs.

#include "clock.h"
#include "console.h"
#include "firmwareTrust.h"
#include "outcome.h"
#include "runControl.h"
#include "transaction.h"
#include "unitLedger.h"

struct OperationContext {
    Transaction& link;
    Console& console;
    Clock& clock;
    RunControl& control;
    // The firmware folder's trust as this run read it: every file read to be sent is checked
    // against it.
    const FirmwareTrust& trust;
    // What has happened to each unit in this run: the procedures tell it, the rest reads it.
    UnitLedger& units;

    // The operator stopped the run, or the line itself is gone: either way the procedure ends
    // at this checkpoint.
    bool ended() const { return control.stopRequested() || link.lineLost(); }
    // Why the run ended at a checkpoint: a lost line outranks the operator's Stop, since
    // nothing after it reached the units either way.
    Outcome endOfRun() const { return link.lineLost() ? Outcome::lineLost() : Outcome::stopped(); }
};
