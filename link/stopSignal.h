#pragma once
// The operator's "&Stop" and "&Skip" of the running operation. The face raises them (a click,
// Ctrl-C); the procedures test them only at their own checkpoints.

#include <atomic>

class StopSignal {
public:
    void requestStop() { stop_ = true; }
    void requestSkip() { skip_ = true; }
    bool stopRequested() const { return stop_; }
    bool skipRequested() const { return skip_; }
    void clearStop() { stop_ = false; }
    void clearSkip() { skip_ = false; }

private:
    // Atomic because Ctrl-C may raise it from a signal handler's flag on another path.
    std::atomic<bool> stop_{false};
    std::atomic<bool> skip_{false};
};
