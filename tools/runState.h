#pragma once
// The run state of the line diagnostics: the "&Comms Test" button's own counter. 0 is idle;
// the click that starts a run sets 1; every further click adds 1, and above 1 the run stops at
// its next checkpoint. The operator's stop signal (Ctrl-C, closing the window) raises it the
// same way.

#include "link/stopSignal.h"

class RunState {
public:
    // A click of the button: true when it starts a run, false when it is a stop request.
    bool click() {
        ++value_;
        return value_ == 1;
    }
    bool running() const { return value_ > 0; }
    // Takes a raised stop signal as one more click, then tells whether to stop.
    bool stopRequested(const StopSignal& signal) {
        if (signal.stopRequested() && value_ == 1) ++value_;
        return value_ > 1;
    }
    void finish() { value_ = 0; }
    int value() const { return value_; }

private:
    int value_ = 0;
};
